#include "ui/view_dlg.h"

#include <cstdio>
#include <cstdlib>

#include "base/secure_wipe.h"
#include "core/settings/settings.h"
#include "core/vault/login_store.h"
#include "res/resource.h"
#include "ui/app_messages.h"
#include "ui/app_services.h"
#include "ui/auto_type.h"
#include "ui/auto_type_hotkey.h"
#include "ui/clipboard.h"
#include "ui/launcher.h"
#include "ui/password_change.h"
#include "ui/vault_message.h"

namespace {

constexpr int kQueryMaxChars = 255;
constexpr char kMaxItemsMessage[] = "Reach the max item limit!";
constexpr int kListTextBufferSize = 256;
constexpr COLORREF kListBackground = RGB(0xF7, 0xF7, 0xFF);
constexpr COLORREF kListText = RGB(0x00, 0x00, 0xFF);

struct ColumnSpec {
    const char* heading;
    int width;
};
// The password and the address are there in full for the clipboard
// commands, but take no room unless the user drags them open.
const ColumnSpec kColumns[] = {
    {"no.", 30}, {"service name", 150}, {"type", 60}, {"user name", 70}, {"password", 0}, {"service address", 0},
};
constexpr int kColumnCount = static_cast<int>(sizeof kColumns / sizeof kColumns[0]);

// Another program held the clipboard when its time was up: look again soon.
constexpr UINT kClipboardRetryMs = 1000;

// Bit 30 of a key message: the key was already down (auto-repeat).
constexpr LPARAM kKeyWasDown = 0x40000000;

bool KeyIsDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

}  // namespace

BEGIN_MESSAGE_MAP(CViewDlg, CDialog)
    ON_BN_CLICKED(IDC_VIEW_QUERY, OnQuery)
    ON_BN_CLICKED(IDC_VIEW_PREV, OnPreviousPage)
    ON_BN_CLICKED(IDC_VIEW_NEXT, OnNextPage)
    ON_BN_CLICKED(IDC_VIEW_NEW, OnNewItem)
    ON_BN_CLICKED(IDC_VIEW_MODIFY, OnModifyItem)
    ON_BN_CLICKED(IDC_VIEW_DELETE, OnDeleteItem)
    ON_BN_CLICKED(IDC_VIEW_PASSWORD, OnModifyPassword)
    ON_BN_CLICKED(IDC_VIEW_LOCK, OnLock)
    ON_NOTIFY(NM_CLICK, IDC_VIEW_LIST, OnClickList)
    ON_NOTIFY(NM_RCLICK, IDC_VIEW_LIST, OnRclickList)
    ON_NOTIFY(NM_DBLCLK, IDC_VIEW_LIST, LaunchSelectedItem)
    ON_NOTIFY(NM_RDBLCLK, IDC_VIEW_LIST, CopySelectedAddress)
    ON_WM_LBUTTONDBLCLK()
    ON_MESSAGE(WM_VIEW_REFILL, OnViewRefill)
    ON_MESSAGE(WM_VIEW_SETALPHA, OnViewSetAlpha)
    ON_MESSAGE(WM_SIZE, OnSize)
    ON_MESSAGE(WM_WINDOWPOSCHANGED, OnWindowPosChanged)
    ON_WM_TIMER()
    ON_WM_HOTKEY()
    ON_WM_SHOWWINDOW()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CViewDlg::CViewDlg(AppServices& services)
    : CDialog(IDD_VIEW),
      m_dlgItem(this),
      m_hotKey(services),
      m_autoTypeHotKey(services, kAutoTypeHotKeyRole),
      m_services(services) {}

CViewDlg::~CViewDlg() = default;

void CViewDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_VIEW_QUERY_TEXT, m_editQuery);
    DDX_Control(pDX, IDC_VIEW_LIST, m_listItem);
    DDX_Text(pDX, IDC_VIEW_QUERY_TEXT, m_strQuery);
    DDV_MaxChars(pDX, m_strQuery, kQueryMaxChars);
}

BOOL CViewDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    char caption[64] = {};
    ::GetWindowTextA(m_hWnd, caption, sizeof caption);
    m_strCaption = caption;

    const int iconSize = GetSystemMetrics(SM_CXSMICON);
    HICON icon = static_cast<HICON>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_TRAY), IMAGE_ICON, iconSize,
                                               iconSize, LR_DEFAULTCOLOR | LR_SHARED));
    SetIcon(icon, FALSE);

    m_fontList.Create(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_STRING_PRECIS,
                      CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
    m_listItem.SetFont(&m_fontList, TRUE);

    m_listItem.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    m_listItem.SetBkColor(kListBackground);
    m_listItem.SetTextBkColor(kListBackground);
    m_listItem.SetTextColor(kListText);

    for (int column = 0; column < kColumnCount; ++column) {
        m_listItem.InsertColumn(column, kColumns[column].heading, LVCFMT_LEFT, kColumns[column].width);
    }
    // The "no." heading in the list's font needs more than its 30 pixels: the
    // column takes at least the heading's width and the header's margins of
    // three edges on either side (numbers up to 99 are narrower).
    const int nHeading = static_cast<int>(
        m_listItem.SendMsg(LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(kColumns[ViewColumnIndex].heading)));
    m_nNumberMinWidth = nHeading + 6 * GetSystemMetrics(SM_CXEDGE) + 2;
    FitColumns();

    RefillList();

    // Flipped, not set: the template carries no extended style, so this is
    // what turns the layered style on.
    ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(GetExStyle() ^ WS_EX_LAYERED));
    SetOpacity(m_services.AppSettings().GetAlpha());

    StartLogoutTimer(m_services.AppSettings().GetLogoutTime());

    m_hotKey.Attach(m_hWnd);
    m_autoTypeHotKey.Attach(m_hWnd);

    // The buttons and labels around the list take the system's message font:
    // the template's font is far too wide once start-up fixes the size.
    NONCLIENTMETRICSA metrics;
    ZeroMemory(&metrics, sizeof metrics);
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        m_layout.Capture(m_hWnd, metrics.lfMessageFont, m_listItem.GetSafeHwnd());
    }
    // A page is ten rows: all of them show without scrolling, the buttons
    // below making room.
    m_layout.SetMinimumHeight(m_listItem.GetSafeHwnd(), PageHeight());
    // No focus yet: made hidden while the Login dialog may be up, the window
    // would take the activation and the keys typed there. Its first showing
    // puts the focus on its first control.
    return FALSE;
}

int CViewDlg::PageHeight() {
    // Rows and header take the list's own font; a row is measured, so the
    // height is right whatever the font turns out to be on this system.
    const bool bEmpty = m_listItem.GetItemCount() == 0;
    if (bEmpty) m_listItem.InsertItem(0, "0");
    RECT row = {};
    row.left = LVIR_BOUNDS;
    m_listItem.SendMsg(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    if (bEmpty) m_listItem.DeleteAllItems();
    RECT window;
    RECT client;
    m_listItem.GetWindowRect(&window);
    m_listItem.GetClientRect(&client);
    const int hScroll = GetSystemMetrics(SM_CYHSCROLL);
    int frame = (window.bottom - window.top) - client.bottom;
    if ((m_listItem.GetStyle() & WS_HSCROLL) != 0) frame -= hScroll;
    // The visible columns fit the width, but one the user drags wider brings
    // the horizontal scroll bar: room for it keeps the last row in sight.
    return row.top + static_cast<int>(kPageSize) * (row.bottom - row.top) + frame + hScroll;
}

LRESULT CViewDlg::OnSize(WPARAM, LPARAM lParam) {
    Default();
    m_layout.Fit(LOWORD(lParam), HIWORD(lParam));
    // Every new size, a change of DPI's among them, gives the list a new width.
    FitColumns();
    return 0;
}

void CViewDlg::FitColumns() {
    if (m_listItem.GetSafeHwnd() == nullptr) return;
    // The client area leaves out a vertical scroll bar only while one shows;
    // a page of rows never needs one (PageHeight).
    RECT client;
    m_listItem.GetClientRect(&client);
    const int nWidth = client.right;
    if (nWidth <= 0) return;
    int nGiven = 0;
    for (const ColumnSpec& column : kColumns) nGiven += column.width;
    // The number column keeps its heading readable; the other visible columns
    // share what is left in the proportions of their given widths. Rounding
    // down keeps the sum inside the width, so no horizontal scroll bar shows.
    int nNumber = kColumns[ViewColumnIndex].width * nWidth / nGiven;
    if (nNumber < m_nNumberMinWidth) nNumber = m_nNumberMinWidth < nWidth ? m_nNumberMinWidth : nWidth;
    const int nRest = nWidth - nNumber;
    const int nRestGiven = nGiven - kColumns[ViewColumnIndex].width;
    m_listItem.SendMsg(LVM_SETCOLUMNWIDTH, ViewColumnIndex, MAKELPARAM(nNumber, 0));
    for (int column = ViewColumnIndex + 1; column < kColumnCount; ++column) {
        // A hidden column stays hidden.
        if (kColumns[column].width == 0) continue;
        const int nColumn = kColumns[column].width * nRest / nRestGiven;
        m_listItem.SendMsg(LVM_SETCOLUMNWIDTH, column, MAKELPARAM(nColumn, 0));
    }
}

// --- The list --------------------------------------------------------------

void CViewDlg::RefillList() {
    if (m_listItem.GetSafeHwnd() == nullptr) return;
    LoginItem page[kPageSize];
    std::uint32_t count = 0;
    m_services.Store().GetPage(page, count);
    // Sixty changes, one paint: the translucent window is composed whole for
    // each one it shows.
    m_listItem.SendMsg(WM_SETREDRAW, FALSE, 0);
    m_listItem.DeleteAllItems();
    const std::uint32_t first = m_services.Store().GetFirstVisible();
    for (std::uint32_t i = 0; i < count && i < kPageSize; ++i) {
        const int row = static_cast<int>(i);
        char number[16];
        std::snprintf(number, sizeof number, "%d", static_cast<int>(first + i));
        m_listItem.InsertItem(row, number);
        m_listItem.SetItemText(row, ViewColumnServiceName, page[i].serviceName);
        m_listItem.SetItemText(row, ViewColumnType, AddressTypeName(page[i].addressType));
        m_listItem.SetItemText(row, ViewColumnUserName, page[i].userName);
        m_listItem.SetItemText(row, ViewColumnPassword, page[i].password);
        m_listItem.SetItemText(row, ViewColumnServiceAddress, page[i].serviceAddress);
    }
    m_listItem.SendMsg(WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_listItem.GetSafeHwnd(), nullptr, TRUE);
    SecureWipe(page, sizeof page);
}

int CViewDlg::GetSelectedIndex() const {
    const int row = m_listItem.GetFirstSelectedItem();
    if (row < 0) return -1;
    const std::string number = m_listItem.GetItemText(row, ViewColumnIndex);
    return static_cast<int>(std::strtol(number.c_str(), nullptr, 10));
}

std::string CViewDlg::GetSelectedText(int nColumn) const {
    char buffer[kListTextBufferSize] = {};
    const int row = m_listItem.GetFirstSelectedItem();
    if (row >= 0) m_listItem.GetItemText(row, nColumn, buffer, sizeof buffer);
    std::string text(buffer);
    SecureWipe(buffer, sizeof buffer);
    return text;
}

int CViewDlg::Tell(const char* text, UINT type) const {
    // Owned by this window, so a lock finds and ends it with the rest.
    return MsgBox(text, nullptr, type | MB_ICONEXCLAMATION);
}

void CViewDlg::EndOpenDialogs() {
    if (m_hWnd != nullptr) AfxEndModalDialogs(m_hWnd);
}

int CViewDlg::GetCommandIndex() {
    if (!m_services.IsLoggedIn()) return -1;
    const int index = GetSelectedIndex();
    if (index < 0) Tell("Please Select one Item");
    return index;
}

bool CViewDlg::GetSelectedItem(LoginItem& item) const {
    if (!m_services.IsLoggedIn()) return false;
    const int index = GetSelectedIndex();
    return index >= 0 && m_services.Store().GetItem(index, item);
}

void CViewDlg::ClearAfterLogout() {
    if (m_hWnd != nullptr) {
        RefillList();
        RestoreCaption();
        // A locked program sits still: nothing is left to log out.
        if (m_nLogoutTimer != 0) KillTimer(m_nLogoutTimer);
        m_nLogoutTimer = 0;
    }
    ForgetClipboardText(m_hWnd);
    // Nor to forget, unless another program held the clipboard just now:
    // then the timer keeps trying.
    if (m_hWnd != nullptr && !IsClipboardTextRemembered()) KillTimer(kClipboardTimerId);
    m_dlgItem.ResetItem();
}

// --- Commands --------------------------------------------------------------

void CViewDlg::OnQuery() {
    if (!m_services.IsLoggedIn()) return;
    UpdateData(TRUE);
    if (m_strQuery.empty()) return;
    m_services.Store().FindByServiceName(m_strQuery.c_str());
    RefillList();
}

void CViewDlg::OnPreviousPage() {
    if (!m_services.IsLoggedIn()) return;
    m_services.Store().PageUp();
    RefillList();
}

void CViewDlg::OnNextPage() {
    if (!m_services.IsLoggedIn()) return;
    m_services.Store().PageDown();
    RefillList();
}

void CViewDlg::OnNewItem() {
    if (!m_services.IsLoggedIn()) return;
    // Said before the form opens, so nobody types an item only to lose it.
    if (m_services.Store().GetCount() >= kMaxItems) {
        MsgBox(kMaxItemsMessage, nullptr, MB_OK);
        return;
    }
    m_dlgItem.ResetItem();
    const INT_PTR result = m_dlgItem.DoModal();
    LoginItem item;
    item.Clear();
    m_dlgItem.GetResultItem(item);
    m_dlgItem.ResetItem();
    // The logout timer may have locked the vault while the form was open:
    // adding to the emptied store would save it over the user's file.
    if (result == IDOK && m_services.IsLoggedIn()) {
        if (m_services.Store().AddItem(item)) {
            m_services.Store().GoToLastPage();
            RefillList();
            m_services.Store().Save();
            ShowVaultMessage(m_services.Store());
        } else {
            MsgBox(kMaxItemsMessage, nullptr, MB_OK);
        }
    }
    SecureWipe(&item, sizeof item);
}

void CViewDlg::OnModifyItem() {
    const int index = GetCommandIndex();
    if (index < 0) return;
    LoginItem item;
    item.Clear();
    if (!m_services.Store().GetItem(index, item)) return;
    m_dlgItem.LoadItem(item);
    const INT_PTR result = m_dlgItem.DoModal();
    item.Clear();
    m_dlgItem.GetResultItem(item);
    m_dlgItem.ResetItem();
    if (result == IDOK && m_services.IsLoggedIn() && m_services.Store().ReplaceItem(index, item)) {
        RefillList();
        m_services.Store().Save();
        ShowVaultMessage(m_services.Store());
    }
    SecureWipe(&item, sizeof item);
}

void CViewDlg::OnDeleteItem() {
    const int index = GetCommandIndex();
    if (index < 0) return;
    if (Tell("Are you sure?", MB_OKCANCEL) != IDOK) return;
    if (m_services.IsLoggedIn() && m_services.Store().DeleteItem(index)) {
        RefillList();
        m_services.Store().Save();
        ShowVaultMessage(m_services.Store());
    }
}

void CViewDlg::OnModifyPassword() { ChangeMasterPassword(*this, m_services.Store()); }

void CViewDlg::OnLock() { m_services.Logout(); }

// --- The list's mouse commands -----------------------------------------------

void CViewDlg::CopyToClipboard(const std::string& text, const char* what) {
    switch (PutClipboardText(m_hWnd, text)) {
    case ClipboardResult::OpenFailed: Tell("Failed to open the clipboard"); return;
    case ClipboardResult::NoMemory: Tell("System memory is not enough!"); return;
    case ClipboardResult::SetFailed: Tell("Failed to put the text on the clipboard"); return;
    case ClipboardResult::Ok: break;
    }
    // Read at each copy: a change in the Config dialog counts from the next.
    const UINT seconds = m_services.AppSettings().GetClipboardSeconds();
    KillTimer(kClipboardTimerId);
    if (seconds != 0) StartTimer(kClipboardTimerId, seconds * 1000u);
    char confirmation[96];
    if (seconds != 0) {
        std::snprintf(confirmation, sizeof confirmation, "%s copied; clears in %u s", what, seconds);
    } else {
        std::snprintf(confirmation, sizeof confirmation, "%s copied", what);
    }
    ::SetWindowTextA(m_hWnd, confirmation);
    StartTimer(kCaptionTimerId, kCaptionConfirmMs);
}

void CViewDlg::RestoreCaption() {
    KillTimer(kCaptionTimerId);
    ::SetWindowTextA(m_hWnd, m_strCaption.c_str());
}

void CViewDlg::CopySelectedColumn(int nColumn, const char* what) {
    if (GetCommandIndex() < 0) return;
    std::string text = GetSelectedText(nColumn);
    CopyToClipboard(text, what);
    WipeString(text);
}

void CViewDlg::CopyClickedColumn(const NMHDR* pNMHDR, int nColumn, const char* what) {
    // A click beside the rows (or on a row the list no longer holds) must
    // leave alone what the user has on the clipboard: an empty copy would
    // silently replace it.
    if (!m_services.IsLoggedIn() || reinterpret_cast<const NMITEMACTIVATE*>(pNMHDR)->iItem < 0 ||
        m_listItem.GetFirstSelectedItem() < 0) {
        return;
    }
    std::string text = GetSelectedText(nColumn);
    CopyToClipboard(text, what);
    WipeString(text);
}

void CViewDlg::OnClickList(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    CopyClickedColumn(pNMHDR, ViewColumnUserName, "User name");
}

void CViewDlg::OnRclickList(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    CopyClickedColumn(pNMHDR, ViewColumnPassword, "Password");
}

void CViewDlg::LaunchSelectedItem(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    LoginItem item;
    item.Clear();
    if (GetSelectedItem(item)) LaunchItem(item, m_services.AppSettings());
    SecureWipe(&item, sizeof item);
}

void CViewDlg::CopySelectedAddress(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    LoginItem item;
    item.Clear();
    if (GetSelectedItem(item)) CopyToClipboard(NormalizedItemAddress(item), "Address");
    SecureWipe(&item, sizeof item);
}

void CViewDlg::OnLButtonDblClk(UINT nFlags, POINT point) {
    ShowWindow(SW_HIDE);
    CDialog::OnLButtonDblClk(nFlags, point);
}

// --- The keyboard ------------------------------------------------------------

BOOL CViewDlg::PreTranslateMessage(MSG* pMsg) {
    struct Shortcut {
        UINT key;
        bool control;
        void (CViewDlg::*command)();
        // The query edit's own Ctrl+C and Delete work on its text there.
        bool editKeepsIt;
    };
    static const Shortcut kShortcuts[] = {
        {'B', true, &CViewDlg::OnCopyUserName, false}, {'C', true, &CViewDlg::OnCopyPassword, true},
        {'U', true, &CViewDlg::OnOpenItem, false},     {'N', true, &CViewDlg::OnNewItem, false},
        {'F', true, &CViewDlg::OnFindQuery, false},    {VK_DELETE, false, &CViewDlg::OnDeleteItem, true},
        {'V', true, &CViewDlg::OnAutoType, true},
    };
    // Exact modifiers: Ctrl+Alt is AltGr, which types characters.
    if (pMsg->message == WM_KEYDOWN && !KeyIsDown(VK_MENU) && !KeyIsDown(VK_SHIFT)) {
        const bool control = KeyIsDown(VK_CONTROL);
        for (const Shortcut& shortcut : kShortcuts) {
            if (pMsg->wParam != shortcut.key || control != shortcut.control) continue;
            if (shortcut.editKeepsIt && pMsg->hwnd == m_editQuery.GetSafeHwnd()) break;
            // A held key repeats: one press, one command (one program started).
            if ((pMsg->lParam & kKeyWasDown) == 0) (this->*shortcut.command)();
            return TRUE;
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CViewDlg::OnCopyUserName() { CopySelectedColumn(ViewColumnUserName, "User name"); }

void CViewDlg::OnCopyPassword() { CopySelectedColumn(ViewColumnPassword, "Password"); }

void CViewDlg::OnOpenItem() {
    const int index = GetCommandIndex();
    if (index < 0) return;
    LoginItem item;
    item.Clear();
    if (m_services.Store().GetItem(index, item)) LaunchItem(item, m_services.AppSettings());
    SecureWipe(&item, sizeof item);
}

void CViewDlg::OnFindQuery() {
    // As Tab would move there: the edit takes the focus with its text selected.
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_editQuery.GetSafeHwnd()), TRUE);
}

void CViewDlg::OnAutoType() {
    const int index = GetCommandIndex();
    if (index < 0) return;
    LoginItem item;
    item.Clear();
    if (m_services.Store().GetItem(index, item)) {
        // Out of the way of the window it types into; without one the list
        // stays where it is and says so.
        if (IsAutoTypeTarget(m_hAutoTypeTarget)) ShowWindow(SW_HIDE);
        AutoTypeInto(m_services, m_hAutoTypeTarget, item);
    }
    SecureWipe(&item, sizeof item);
}

void CViewDlg::RememberAutoTypeTarget() {
    if (HWND front = AutoTypeTargetInFront()) m_hAutoTypeTarget = front;
}

void CViewDlg::OnShowWindow(BOOL bShow, UINT nStatus) {
    // Sent before the list is shown and activated: the window in front is
    // still the one the user came from.
    if (bShow) RememberAutoTypeTarget();
    CDialog::OnShowWindow(bShow, nStatus);
}

LRESULT CViewDlg::OnWindowPosChanged(WPARAM, LPARAM lParam) {
    const LRESULT result = Default();
    if ((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW) != 0) StopMouseTracking();
    return result;
}

void CViewDlg::StopMouseTracking() {
    // A control that asked to hear when the mouse leaves it (a themed button
    // does, to draw itself hot) never hears it once hidden under a resting
    // mouse: the system then looks for the mouse about a thousand times a
    // second, under Wine until the mouse moves.
    TRACKMOUSEEVENT tracked;
    ZeroMemory(&tracked, sizeof tracked);
    tracked.cbSize = sizeof tracked;
    tracked.dwFlags = TME_QUERY;
    if (!::TrackMouseEvent(&tracked) || tracked.hwndTrack == nullptr) return;
    if (tracked.hwndTrack != m_hWnd && !::IsChild(m_hWnd, tracked.hwndTrack)) return;
    const DWORD what = tracked.dwFlags & (TME_HOVER | TME_LEAVE | TME_NONCLIENT);
    if ((what & (TME_HOVER | TME_LEAVE)) == 0) return;
    TRACKMOUSEEVENT cancel = tracked;
    cancel.dwFlags = TME_CANCEL | what;
    ::TrackMouseEvent(&cancel);
    // The leave it waited for: it is drawn plain when the window shows again.
    if ((what & TME_LEAVE) != 0) {
        ::SendMessageA(tracked.hwndTrack, (what & TME_NONCLIENT) != 0 ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
    }
}

// --- Messages from the application and the system ------------------------------

LRESULT CViewDlg::OnViewRefill(WPARAM, LPARAM) {
    StartLogoutTimer(m_services.AppSettings().GetLogoutTime());
    RefillList();
    return 0;
}

LRESULT CViewDlg::OnViewSetAlpha(WPARAM wParam, LPARAM) {
    SetOpacity(static_cast<BYTE>(wParam & 0xFF));
    // Shown only to somebody logged in: a locked window stays out of sight.
    if (m_services.IsLoggedIn()) ShowWindow(SW_SHOWNORMAL);
    return 0;
}

void CViewDlg::SetOpacity(BYTE alpha) { ::SetLayeredWindowAttributes(m_hWnd, 0, alpha, LWA_ALPHA); }

void CViewDlg::StartLogoutTimer(BYTE minutes) {
    if (!m_services.IsLoggedIn()) return;
    if (m_nLogoutTimer != 0) {
        KillTimer(m_nLogoutTimer);
        m_nLogoutTimer = 0;
    }
    if (minutes != 0) m_nLogoutTimer = StartTimer(kLogoutTimerId, minutes * 60000u);
}

UINT_PTR CViewDlg::StartTimer(UINT_PTR nIDEvent, UINT uElapse) {
    return m_pTimers != nullptr ? m_pTimers->Start(m_hWnd, nIDEvent, uElapse)
                                : ::SetTimer(m_hWnd, nIDEvent, uElapse, nullptr);
}

void CViewDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kCaptionTimerId) {
        RestoreCaption();
        return;
    }
    if (nIDEvent == kClipboardTimerId) {
        KillTimer(kClipboardTimerId);
        ForgetClipboardText(m_hWnd);
        // Still remembered: the clipboard could not be looked at.
        if (IsClipboardTextRemembered()) StartTimer(kClipboardTimerId, kClipboardRetryMs);
        return;
    }
    if (nIDEvent != kLogoutTimerId) {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    KillTimer(m_nLogoutTimer);
    m_nLogoutTimer = 0;
    m_services.Logout();
}

void CViewDlg::OnHotKey(UINT nHotKeyId, UINT, UINT) {
    if (m_autoTypeHotKey.IsOurs(nHotKeyId)) {
        AutoTypeForWindowInFront(m_services, *this);
        return;
    }
    if (!m_hotKey.IsOurs(nHotKeyId)) return;
    RememberAutoTypeTarget();
    if (!m_services.IsLoggedIn() && !m_services.Login()) return;
    ShowWindow(IsWindowVisible() ? SW_HIDE : SW_SHOWNORMAL);
}

void CViewDlg::OnDestroy() {
    m_hotKey.Detach();
    m_autoTypeHotKey.Detach();
    CDialog::OnDestroy();
}
