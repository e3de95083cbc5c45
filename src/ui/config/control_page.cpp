#include "ui/config/control_page.h"

#include <string>
#include "core/settings/settings.h"
#include "ui/app_services.h"
#include "ui/hotkey.h"

#include "core/settings/hotkey_name.h"
#include "res/resource.h"

namespace {

// One arrow click moves the opacity this far.
constexpr int kAlphaStep = 4;
// The bar's place in the page in dialog units, like every other control of
// the page, so it stays between the "low" and "high" labels at any scaling;
// it takes the system's scroll bar height at the bottom of this rectangle.
constexpr RECT kAlphaBarUnits = {24, 60, 127, 71};
constexpr DWORD kAlphaBarStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_HORZ | SBS_BOTTOMALIGN;

BYTE ClampAlpha(int nAlpha) {
    if (nAlpha < kMinAlpha) return kMinAlpha;
    if (nAlpha > kMaxAlpha) return kMaxAlpha;
    return static_cast<BYTE>(nAlpha);
}

}  // namespace

BEGIN_MESSAGE_MAP(CControlPage, CTabPage)
    ON_WM_SHOWWINDOW()
    ON_WM_HSCROLL()
    ON_BN_CLICKED(IDC_CONTROL_AUTORUN, OnClickedAutoRun)
    ON_BN_CLICKED(IDC_CONTROL_HOTKEY, OnClickedHotKey)
    ON_EN_CHANGE(IDC_CONTROL_LOGOUT, OnChangeLogout)
    ON_EN_KILLFOCUS(IDC_CONTROL_LOGOUT, OnKillFocusLogout)
END_MESSAGE_MAP()

CControlPage::CControlPage(AppServices& services) : CTabPage(IDD_CONTROLPAGE), m_services(services) {}

BOOL CControlPage::OnInitDialog() {
    CTabPage::OnInitDialog();
    RECT rect = kAlphaBarUnits;
    ::MapDialogRect(m_hWnd, &rect);
    m_scrollAlpha.Create(kAlphaBarStyle, rect, this, IDC_CONTROL_ALPHA);
    // Tab follows the page from top to bottom: the bar comes after the check
    // boxes, not last.
    ::SetWindowPos(m_scrollAlpha.GetSafeHwnd(), ::GetDlgItem(m_hWnd, IDC_CONTROL_HOTKEY), 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_scrollAlpha.SetScrollRange(kMinAlpha, kMaxAlpha, TRUE);
    m_scrollAlpha.SetScrollPos(0);  // held as the lowest opacity until shown
    return TRUE;
}

void CControlPage::DoDataExchange(CDataExchange* pDX) {
    CTabPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_CONTROL_AUTORUN, m_nAutoRun);
    DDX_Check(pDX, IDC_CONTROL_HOTKEY, m_nHotKey);
    DDX_Text(pDX, IDC_CONTROL_LOGOUT, m_nLogout);
    DDV_MinMaxUInt(pDX, m_nLogout, 0, kMaxLogoutTime);
}

void CControlPage::OnShowWindow(BOOL bShow, UINT nStatus) {
    CTabPage::OnShowWindow(bShow, nStatus);
    const Settings& settings = m_services.AppSettings();
    m_nAutoRun = settings.IsAutoRun() ? 1 : 0;
    m_nHotKey = settings.IsHotKeyEnabled() ? 1 : 0;
    m_scrollAlpha.SetScrollPos(m_services.AppSettings().GetAlpha(), TRUE);
    m_nLogout = m_services.AppSettings().GetLogoutTime();
    UpdateData(FALSE);
    ShowHotKeyName();
}

void CControlPage::ShowHotKeyName() {
    std::string text = "Enable Hotkey(" + HotKeyName(m_services.AppSettings().GetHotKey()) + ")";
    if (m_services.HotKey().IsUnavailable()) text += " - unavailable";
    ::SetDlgItemTextA(m_hWnd, IDC_CONTROL_HOTKEY, text.c_str());
}

void CControlPage::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    if (pScrollBar != nullptr && pScrollBar->GetSafeHwnd() == m_scrollAlpha.GetSafeHwnd()) {
        const int nCurrent = m_scrollAlpha.GetScrollPos();
        int nAlpha = nCurrent;
        bool bApply = true;
        bool bMove = true;
        switch (nSBCode) {
        case SB_LINELEFT: nAlpha = nCurrent - kAlphaStep; break;
        case SB_LINERIGHT: nAlpha = nCurrent + kAlphaStep; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: nAlpha = static_cast<int>(nPos); break;
        case SB_ENDSCROLL: bMove = false; break;
        default:
            // Clicks in the trough and jumps to either end do nothing:
            // the opacity changes only in small steps or by dragging.
            bApply = false;
            break;
        }
        if (bApply) {
            // Stored and applied at every step, so the list window follows a drag.
            const BYTE nClamped = ClampAlpha(nAlpha);
            m_services.SetViewAlpha(nClamped);
            if (bMove) m_scrollAlpha.SetScrollPos(nClamped, TRUE);
        }
    }
    CTabPage::OnHScroll(nSBCode, nPos, pScrollBar);
}

void CControlPage::OnClickedAutoRun() {
    // The check boxes come first in the exchange, so they are read even when
    // the logout time is refused.
    UpdateData(TRUE);
    m_services.AppSettings().SaveValue(SettingAutoRun, m_nAutoRun > 0 ? 1 : 0);
}

void CControlPage::OnClickedHotKey() {
    UpdateData(TRUE);
    m_services.AppSettings().SaveValue(SettingHotKey, m_nHotKey > 0 ? 1 : 0);
    // The flag governs both hotkeys at once, not only from the next start.
    m_services.HotKey().Enable(m_nHotKey > 0 ? TRUE : FALSE);
    m_services.AutoTypeHotKey().Enable(m_nHotKey > 0 ? TRUE : FALSE);
    ShowHotKeyName();
}

void CControlPage::OnChangeLogout() {
    // Checks the number and tells the user at once; nothing is stored until
    // the edit loses the focus.
    UpdateData(TRUE);
}

void CControlPage::OnKillFocusLogout() {
    // A refused number larger than a byte must not wrap into another valid
    // time (300 would become 44 minutes): bound it first.
    const UINT nMinutes = m_nLogout > kMaxLogoutTime ? kMaxLogoutTime : m_nLogout;
    m_services.SetLogoutTime(static_cast<BYTE>(nMinutes));
    // The field shows what is stored, not the refused number still in it.
    m_nLogout = m_services.AppSettings().GetLogoutTime();
    UpdateData(FALSE);
}
