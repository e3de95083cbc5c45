#include "framework/dialog.h"

#include <cstring>
#include <string>
#include <vector>

#include "framework/thread_state.h"
#include "framework/win_app.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

namespace {

// The dialog manager's procedure for our dialogs. Every message reaches the
// dialog's object first through the framework's window procedure; what its
// map leaves comes here and gets the dialog manager's default handling.
INT_PTR CALLBACK AfxDlgProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG ? TRUE : FALSE; }

const char kDialogClass[] = "#32770";

// Combo-box insertion as numbered in initialisation data.
const WORD kDlgInitComboAddString = 0x0403;
const LPCSTR kDlgInitResourceType = MAKEINTRESOURCEA(240);

struct EndModalContext {
    HWND hWndOwner;
    std::vector<HWND> found;
};

bool IsOwnedBy(HWND hWnd, HWND hWndOwner) {
    for (HWND owner = ::GetWindow(hWnd, GW_OWNER); owner != nullptr; owner = ::GetWindow(owner, GW_OWNER)) {
        if (owner == hWndOwner) return true;
    }
    return false;
}

BOOL CALLBACK CollectModalDialog(HWND hWnd, LPARAM lParam) {
    EndModalContext* context = reinterpret_cast<EndModalContext*>(lParam);
    char className[16] = {};
    ::GetClassNameA(hWnd, className, sizeof className);
    if (std::strcmp(className, kDialogClass) != 0) return TRUE;
    const CDialog* pDialog = dynamic_cast<const CDialog*>(CWnd::FromHandlePermanent(hWnd));
    if (pDialog != nullptr && !pDialog->IsModal()) return TRUE;
    if (context->hWndOwner == nullptr || IsOwnedBy(hWnd, context->hWndOwner)) context->found.push_back(hWnd);
    return TRUE;
}

HWND RootOf(HWND hWnd) {
    if (hWnd != nullptr && (::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD) != 0) return ::GetAncestor(hWnd, GA_ROOT);
    return hWnd;
}

}  // namespace

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal() {
    if (m_hWnd != nullptr) return -1;
    AfxEnsureCommonControls();
    CWnd* pOwner = m_pParentWnd != nullptr ? m_pParentWnd : AfxGetMainWnd();
    HWND hWndOwner = pOwner != nullptr && pOwner != this ? RootOf(pOwner->m_hWnd) : nullptr;
    m_bModal = TRUE;
    AfxHookWindowCreate(this, kDialogClass);
    INT_PTR result =
        ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hWndOwner, AfxDlgProc, 0);
    AfxUnhookWindowCreate();
    m_bModal = FALSE;
    return result;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    if (m_hWnd != nullptr) return FALSE;
    AfxEnsureCommonControls();
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    CWnd* pParent = pParentWnd != nullptr ? pParentWnd : AfxGetMainWnd();
    HWND hWndParent = pParent != nullptr && pParent != this ? pParent->m_hWnd : nullptr;
    m_bModal = FALSE;
    AfxHookWindowCreate(this, kDialogClass);
    HWND hWnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDTemplate), hWndParent, AfxDlgProc, 0);
    AfxUnhookWindowCreate();
    return AcceptCreated(hWnd);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
    ExecuteDlgInit(m_nIDTemplate);
    return OnInitDialog();
}

BOOL CDialog::OnInitDialog() {
    if (!UpdateData(FALSE)) {
        // Only a control missing from the template makes loading fail.
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int nResult) {
    if (m_hWnd == nullptr) return;
    if (m_bModal) {
        ::EndDialog(m_hWnd, nResult);
    } else {
        // A modeless dialog lives on; ::EndDialog would also re-enable its
        // owner, which a modal dialog running meanwhile may have disabled.
        ::ShowWindow(m_hWnd, SW_HIDE);
    }
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

BOOL CDialog::ExecuteDlgInit(UINT nIDResource) {
    HINSTANCE hInstance = AfxGetResourceHandle();
    HRSRC hResource = ::FindResourceA(hInstance, MAKEINTRESOURCEA(nIDResource), kDlgInitResourceType);
    if (hResource == nullptr) return TRUE;
    HGLOBAL hData = ::LoadResource(hInstance, hResource);
    const unsigned char* p = hData != nullptr ? static_cast<const unsigned char*>(::LockResource(hData)) : nullptr;
    if (p == nullptr) return FALSE;
    const unsigned char* end = p + ::SizeofResource(hInstance, hResource);
    // Every length is checked against the resource's size: a damaged record
    // stops the filling instead of reading past the data.
    for (;;) {
        WORD controlId = 0;
        if (end - p < 2) return FALSE;
        std::memcpy(&controlId, p, sizeof controlId);
        if (controlId == 0) return TRUE;
        if (end - p < 8) return FALSE;
        WORD message = 0;
        DWORD length = 0;
        std::memcpy(&message, p + 2, sizeof message);
        std::memcpy(&length, p + 4, sizeof length);
        p += 8;
        if (length > static_cast<size_t>(end - p)) return FALSE;
        if (message == kDlgInitComboAddString) {
            const char* text = reinterpret_cast<const char*>(p);
            const void* nul = std::memchr(text, 0, length);
            std::string item(text, nul != nullptr ? static_cast<const char*>(nul) - text : length);
            ::SendDlgItemMessageA(m_hWnd, controlId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        }
        p += length;
    }
}

int AfxEndModalDialogs(HWND hWndOwner) {
    EndModalContext context = {hWndOwner, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectModalDialog, reinterpret_cast<LPARAM>(&context));
    for (HWND hWnd : context.found) {
        // Ending one may end (and destroy) others: each is looked at afresh.
        if (!::IsWindow(hWnd)) continue;
        if (dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd)) != nullptr) {
            ::SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        // Whatever its Cancel did, the dialog ends.
        if (::IsWindow(hWnd)) ::EndDialog(hWnd, IDCANCEL);
    }
    return static_cast<int>(context.found.size());
}
