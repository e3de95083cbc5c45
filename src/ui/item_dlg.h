#pragma once
// The form in which the user types one login item, for New and Modify alike.
// It works on a copy of the item; the list window takes the result from it
// and alone touches the store.
#include <string>

#include "core/vault/login_item.h"
#include "framework/framework.h"

class CItemDlg : public CDialog {
public:
    explicit CItemDlg(CWnd* pParent = nullptr);
    ~CItemDlg() override;

    // Before New: an empty item of type 0 ("web site(http)").
    void ResetItem();
    // Before Modify: the form shows a copy of `item`.
    void LoadItem(const LoginItem& item);
    // After IDOK: the item as written back by OK, every field terminated.
    void GetResultItem(LoginItem& item) const;

    std::string m_strServiceName;
    std::string m_strDescription;
    std::string m_strUserName;
    std::string m_strPassword;
    std::string m_strServiceAddress;
    // The combo box's position, which is the address type code; -1 when
    // nothing is selected.
    int m_nAddressType = 0;
    LoginItem m_item;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnCloseupAddressType();
    void OnKillfocusServiceAddress();
    void OnGeneratePassword();
    void OnDestroy();

private:
    // Stored addresses carry no scheme prefix: the launcher adds the right
    // one for the type.
    void NormalizeServiceAddress();
    void WipeTexts();

    DECLARE_MESSAGE_MAP()
};
