#include "ui/config/config_dlg.h"

#include "res/resource.h"

namespace {

// The page values given to the tab control.
constexpr int kOptionPageData = 0;
constexpr int kLocalPageData = 1;
constexpr int kSecurityPageData = 2;

bool KeyIsDown(int vk) { return (::GetKeyState(vk) & 0x8000) != 0; }

// The page keys of every Windows property sheet. The system runs the modal
// loop, so they are caught in its message filter, for the one Config dialog
// a thread can have open.
HHOOK g_hPageKeyHook = nullptr;
CConfigDlg* g_pPageKeyDlg = nullptr;

LRESULT CALLBACK PageKeyFilter(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == MSGF_DIALOGBOX && g_pPageKeyDlg != nullptr &&
        g_pPageKeyDlg->HandlePageKey(*reinterpret_cast<const MSG*>(lParam))) {
        return 1;
    }
    return ::CallNextHookEx(g_hPageKeyHook, nCode, wParam, lParam);
}

}  // namespace

BEGIN_MESSAGE_MAP(CConfigDlg, CDialog)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CConfigDlg::CConfigDlg(AppServices& services)
    : CDialog(IDD_CONFIG), m_pageLocal(services), m_pageOption(services), m_pageSecurity(services) {}

INT_PTR CConfigDlg::DoModal() {
    if (m_bOpen) {
        SendMsg(WM_SHOWWINDOW, TRUE, 0);
        return 0;
    }
    m_bOpen = TRUE;
    g_pPageKeyDlg = this;
    g_hPageKeyHook = ::SetWindowsHookExA(WH_MSGFILTER, PageKeyFilter, nullptr, ::GetCurrentThreadId());
    INT_PTR result = CDialog::DoModal();
    if (g_hPageKeyHook != nullptr) ::UnhookWindowsHookEx(g_hPageKeyHook);
    g_hPageKeyHook = nullptr;
    g_pPageKeyDlg = nullptr;
    m_bOpen = FALSE;
    return result;
}

BOOL CConfigDlg::HandlePageKey(const MSG& msg) {
    // Only keys meant for this dialog: a message box a page shows is a
    // dialog of its own, and Ctrl+Alt is AltGr, which types characters.
    if (msg.message != WM_KEYDOWN || m_hWnd == nullptr || (msg.hwnd != m_hWnd && !::IsChild(m_hWnd, msg.hwnd)) ||
        !KeyIsDown(VK_CONTROL) || KeyIsDown(VK_MENU)) {
        return FALSE;
    }
    int nStep = 0;
    if (msg.wParam == VK_TAB) {
        nStep = KeyIsDown(VK_SHIFT) ? -1 : 1;
    } else if (msg.wParam == VK_NEXT || msg.wParam == VK_PRIOR) {
        nStep = msg.wParam == VK_NEXT ? 1 : -1;
    } else {
        return FALSE;
    }
    const int nCount = m_tabCtrl.GetPageCount();
    if (nCount == 0) return FALSE;
    const int nCurrent = m_tabCtrl.GetSelectedPage();
    m_tabCtrl.SelectPage(((nCurrent < 0 ? 0 : nCurrent) + nStep + nCount) % nCount);
    return TRUE;
}

void CConfigDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CONFIG_TAB, m_tabCtrl);
}

BOOL CConfigDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // "Option" first: the tab control shows the first page it is given.
    m_pageOption.Create(IDD_CONTROLPAGE, this);
    m_tabCtrl.AddPage("Option", kOptionPageData, &m_pageOption);
    m_pageLocal.Create(IDD_PATHPAGE, this);
    m_tabCtrl.AddPage("Local", kLocalPageData, &m_pageLocal);
    m_pageSecurity.Create(IDD_SECURITYPAGE, this);
    m_tabCtrl.AddPage("Security", kSecurityPageData, &m_pageSecurity);
    UpdateData(FALSE);
    return TRUE;
}

void CConfigDlg::OnClose() {
    m_bOpen = FALSE;
    CDialog::OnClose();
}
