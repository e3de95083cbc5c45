#include "ui/item_dlg.h"

#include <cstddef>

#include "base/secure_wipe.h"
#include "core/generator/password_generator.h"
#include "core/launch/address.h"
#include "res/resource.h"

namespace {

// Characters a fixed field holds besides its terminating zero.
template <std::size_t N>
constexpr int FieldChars(const char (&)[N]) {
    return static_cast<int>(N) - 1;
}

// The form's texts replace earlier ones: wipe what was there, as it may be a
// password.
void Assign(std::string& text, const char* value) {
    WipeString(text);
    text = value;
}

}  // namespace

BEGIN_MESSAGE_MAP(CItemDlg, CDialog)
    ON_CBN_CLOSEUP(IDC_ITEM_TYPE, OnCloseupAddressType)
    ON_EN_KILLFOCUS(IDC_ITEM_ADDRESS, OnKillfocusServiceAddress)
    ON_BN_CLICKED(IDC_ITEM_GENERATE, OnGeneratePassword)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CItemDlg::CItemDlg(CWnd* pParent) : CDialog(IDD_ITEM, pParent) { m_item.Clear(); }

CItemDlg::~CItemDlg() {
    WipeTexts();
    SecureWipe(&m_item, sizeof m_item);
}

void CItemDlg::WipeTexts() {
    WipeString(m_strServiceName);
    WipeString(m_strDescription);
    WipeString(m_strUserName);
    WipeString(m_strPassword);
    WipeString(m_strServiceAddress);
}

void CItemDlg::ResetItem() {
    m_item.Clear();
    WipeTexts();
    m_nAddressType = ADDRESS_HTTP;
}

void CItemDlg::LoadItem(const LoginItem& item) {
    m_item.Clear();
    m_item.CopyFrom(item);
    Assign(m_strServiceName, m_item.serviceName);
    Assign(m_strDescription, m_item.description);
    Assign(m_strUserName, m_item.userName);
    Assign(m_strPassword, m_item.password);
    Assign(m_strServiceAddress, m_item.serviceAddress);
    m_nAddressType = m_item.addressType;
}

void CItemDlg::GetResultItem(LoginItem& item) const {
    SecureWipe(&item, sizeof item);
    item.CopyFrom(m_item);
}

void CItemDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    // Each edit takes no more than its field holds, so nothing the user typed
    // is cut without a word when OK stores it.
    DDX_Text(pDX, IDC_ITEM_SERVICE, m_strServiceName);
    DDV_MaxChars(pDX, m_strServiceName, FieldChars(m_item.serviceName));
    DDX_Text(pDX, IDC_ITEM_DESCRIPTION, m_strDescription);
    DDV_MaxChars(pDX, m_strDescription, FieldChars(m_item.description));
    DDX_Text(pDX, IDC_ITEM_USER, m_strUserName);
    DDV_MaxChars(pDX, m_strUserName, FieldChars(m_item.userName));
    DDX_Text(pDX, IDC_ITEM_PASSWORD, m_strPassword);
    DDV_MaxChars(pDX, m_strPassword, FieldChars(m_item.password));
    DDX_Text(pDX, IDC_ITEM_ADDRESS, m_strServiceAddress);
    DDV_MaxChars(pDX, m_strServiceAddress, FieldChars(m_item.serviceAddress));
    DDX_CBIndex(pDX, IDC_ITEM_TYPE, m_nAddressType);
}

void CItemDlg::NormalizeServiceAddress() {
    UpdateData(TRUE);
    // The scheme typed says what the address is: "https://" taken off an
    // address of an HTTP item would open the bank over plain HTTP.
    std::int32_t nSchemeType = 0;
    if (AddressTypeFromScheme(m_strServiceAddress, nSchemeType)) m_nAddressType = nSchemeType;
    m_strServiceAddress = NormalizeAddress(m_strServiceAddress);
    UpdateData(FALSE);
}

void CItemDlg::OnCloseupAddressType() { NormalizeServiceAddress(); }

void CItemDlg::OnKillfocusServiceAddress() { NormalizeServiceAddress(); }

void CItemDlg::OnGeneratePassword() {
    // Letters, digits and symbols, 16 of them: what most sites take.
    const PasswordRules rules;
    char password[kMaxGeneratedLength + 1] = {};
    if (GeneratePassword(rules, password, sizeof password) != GenerateOk) {
        MsgBox("No password was generated: the system's random number source failed.", nullptr,
               MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    HWND hEdit = ::GetDlgItem(m_hWnd, IDC_ITEM_PASSWORD);
    ::SetWindowTextA(hEdit, password);
    SecureWipe(password, sizeof password);
    // The new password is shown selected, ready to be copied or typed over.
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hEdit), TRUE);
}

void CItemDlg::OnDestroy() {
    // However the form ended (OK, Cancel, a lock), the password shown in
    // clear leaves nothing behind in the edits' memory.
    AfxWipeEditControls(m_hWnd);
    CDialog::OnDestroy();
}

void CItemDlg::OnOK() {
    if (!UpdateData(TRUE)) return;
    CopyField(m_item.serviceName, sizeof m_item.serviceName, m_strServiceName.c_str());
    CopyField(m_item.userName, sizeof m_item.userName, m_strUserName.c_str());
    CopyField(m_item.password, sizeof m_item.password, m_strPassword.c_str());
    CopyField(m_item.serviceAddress, sizeof m_item.serviceAddress, m_strServiceAddress.c_str());
    CopyField(m_item.description, sizeof m_item.description, m_strDescription.c_str());
    if (m_nAddressType >= 0) {
        m_item.addressType = m_nAddressType;
    } else if (m_item.addressType < 0 || m_item.addressType >= kAddressTypeNameCount) {
        // Nothing selected: the combo offers no entry for a reserved or
        // unknown code. A reserved one is kept as loaded; anything the list
        // and the launcher cannot name becomes plain HTTP.
        m_item.addressType = ADDRESS_HTTP;
    }
    CDialog::OnOK();
}
