#include "framework/data_exchange.h"

#include <climits>
#include <cstdio>
#include <vector>

#include "base/secure_wipe.h"
#include "framework/thread_state.h"
#include "framework/win_app.h"
#include "framework/wnd.h"

namespace {

// Thrown by CDataExchange::Fail, caught by UpdateData; never leaves it.
struct DataExchangeFailure {};

// Whole text, digits only after optional blanks, no sign, within UINT_MAX.
bool ParseUnsigned(const std::string& text, unsigned int& value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    size_t start = i;
    unsigned long long number = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        number = number * 10 + static_cast<unsigned>(text[i] - '0');
        if (number > UINT_MAX) return false;
        ++i;
    }
    if (i == start) return false;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i != text.size()) return false;
    value = static_cast<unsigned int>(number);
    return true;
}

}  // namespace

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

HWND CDataExchange::PrepareCtrl(int nIDC) {
    HWND hWndCtrl = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    if (hWndCtrl == nullptr) throw DataExchangeFailure();
    m_hWndLastControl = hWndCtrl;
    m_bEditLastControl = FALSE;
    return hWndCtrl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND hWndCtrl = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWndCtrl;
}

void CDataExchange::Fail() {
    if (m_bSaveAndValidate && m_hWndLastControl != nullptr) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl) ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    throw DataExchangeFailure();
}

void CDataExchange::Fail(const char* lpszMessage) {
    HWND hWndOwner = m_pDlgWnd->m_hWnd != nullptr ? ::GetAncestor(m_pDlgWnd->m_hWnd, GA_ROOT) : nullptr;
    std::string title = AfxGetAppTitle();
    ::MessageBoxA(hWndOwner, lpszMessage, title.c_str(), MB_OK | MB_ICONEXCLAMATION);
    Fail();
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    AfxThreadState& state = AfxGetThreadState();
    // Filling the controls makes them notify (EN_CHANGE ...): those are ours,
    // not the user's, and are ignored while the exchange runs.
    HWND hWndOldLockout = state.hLockoutNotifyWindow;
    state.hLockoutNotifyWindow = m_hWnd;
    BOOL ok = FALSE;
    try {
        DoDataExchange(&dx);
        ok = TRUE;
    } catch (const DataExchangeFailure&) {
        ok = FALSE;
    } catch (...) {
        // Nothing may unwind through the window procedure that called us.
        ok = FALSE;
    }
    state.hLockoutNotifyWindow = hWndOldLockout;
    return ok;
}

void CWnd::DoDataExchange(CDataExchange*) {}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value) {
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        ::SetWindowTextA(hWndCtrl, value.c_str());
        return;
    }
    int length = ::GetWindowTextLengthA(hWndCtrl);
    std::vector<char> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1);
    int got = ::GetWindowTextA(hWndCtrl, buffer.data(), static_cast<int>(buffer.size()));
    // The texts may be passwords: wipe what would otherwise be freed unwiped.
    if (!value.empty()) SecureWipe(&value[0], value.size());
    value.assign(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
    SecureWipe(buffer.data(), buffer.size());
}

void DDX_Text(CDataExchange* pDX, int nIDC, unsigned int& value) {
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        char text[16];
        std::snprintf(text, sizeof text, "%u", value);
        ::SetWindowTextA(hWndCtrl, text);
        return;
    }
    char text[64] = {};
    int length = ::GetWindowTextLengthA(hWndCtrl);
    unsigned int parsed = 0;
    if (length < 0 || length >= static_cast<int>(sizeof text)) pDX->Fail("Please enter a whole number.");
    ::GetWindowTextA(hWndCtrl, text, sizeof text);
    if (!ParseUnsigned(text, parsed)) pDX->Fail("Please enter a whole number.");
    value = parsed;
}

void DDV_MinMaxUInt(CDataExchange* pDX, unsigned int value, unsigned int minVal, unsigned int maxVal) {
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
    char message[96];
    std::snprintf(message, sizeof message, "Please enter a number between %lu and %lu.",
                  static_cast<unsigned long>(minVal), static_cast<unsigned long>(maxVal));
    pDX->Fail(message);
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars) {
    if (!pDX->m_bSaveAndValidate) {
        if (pDX->m_hWndLastControl != nullptr && pDX->m_bEditLastControl) {
            ::SendMessageA(pDX->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0);
        }
        return;
    }
    if (nChars >= 0 && value.size() > static_cast<size_t>(nChars)) {
        char message[96];
        std::snprintf(message, sizeof message, "Please enter no more than %d characters.", nChars);
        pDX->Fail(message);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageA(hWndCtrl, BM_GETCHECK, 0, 0));
        return;
    }
    int state = value >= 0 && value <= 2 ? value : 0;
    ::SendMessageA(hWndCtrl, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        index = static_cast<int>(::SendMessageA(hWndCtrl, CB_GETCURSEL, 0, 0));
        return;
    }
    ::SendMessageA(hWndCtrl, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (rControl.m_hWnd == hWndCtrl) return;
    // Bound to another object already: a programming error, reported as a
    // failed exchange rather than ignored.
    if (!rControl.SubclassWindow(hWndCtrl)) pDX->Fail();
}
