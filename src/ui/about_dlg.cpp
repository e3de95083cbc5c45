#include "ui/about_dlg.h"

#include <string>

#include "res/resource.h"

namespace {

std::string ResourceString(UINT nID) {
    char text[512] = {};
    int length = ::LoadStringA(AfxGetResourceHandle(), nID, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

}  // namespace

CAboutDlg::CAboutDlg(Shell& shell)
    : CDialog(IDD_ABOUTBOX), m_linkHome(nullptr, FALSE, shell), m_linkMail(nullptr, FALSE, shell) {}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The targets live in the string table beside the texts that show them.
    m_linkHome.m_link = ResourceString(IDS_ABOUT_HOME);
    m_linkMail.m_link = ResourceString(IDS_ABOUT_MAIL);
    m_linkHome.SubclassDlgItem(IDC_ABOUT_HOME, this);
    m_linkMail.SubclassDlgItem(IDC_ABOUT_MAIL, this);
    return TRUE;
}
