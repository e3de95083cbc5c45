#include "ui/config/path_page.h"

#include "core/settings/settings.h"
#include "res/resource.h"
#include "ui/app_services.h"

BEGIN_MESSAGE_MAP(CPathPage, CTabPage)
    ON_WM_SHOWWINDOW()
    ON_EN_CHANGE(IDC_PATH_WEB, OnChangeWeb)
    ON_EN_CHANGE(IDC_PATH_FTP, OnChangeFtp)
    ON_EN_CHANGE(IDC_PATH_TELNET, OnChangeTelnet)
    ON_EN_CHANGE(IDC_PATH_BACKUP, OnChangeBackup)
END_MESSAGE_MAP()

CPathPage::CPathPage(AppServices& services) : CTabPage(IDD_PATHPAGE), m_services(services) {}

void CPathPage::DoDataExchange(CDataExchange* pDX) {
    CTabPage::DoDataExchange(pDX);
    // A stored path holds at most kSettingTextMax characters: a longer one
    // would be cut to some other file or folder.
    const int nMax = static_cast<int>(kSettingTextMax);
    DDX_Text(pDX, IDC_PATH_WEB, m_strWeb);
    DDV_MaxChars(pDX, m_strWeb, nMax);
    DDX_Text(pDX, IDC_PATH_FTP, m_strFtp);
    DDV_MaxChars(pDX, m_strFtp, nMax);
    DDX_Text(pDX, IDC_PATH_TELNET, m_strTelnet);
    DDV_MaxChars(pDX, m_strTelnet, nMax);
    DDX_Text(pDX, IDC_PATH_BACKUP, m_strBackup);
    DDV_MaxChars(pDX, m_strBackup, nMax);
}

void CPathPage::OnShowWindow(BOOL bShow, UINT nStatus) {
    CTabPage::OnShowWindow(bShow, nStatus);
    const Settings& settings = m_services.AppSettings();
    m_strWeb = settings.GetWebClient();
    m_strFtp = settings.GetFtpClient();
    m_strTelnet = settings.GetTelnetClient();
    m_strBackup = settings.GetBackupPath();
    // Filling the edits is not the user typing: their change notifications
    // are ignored meanwhile, so nothing is stored here.
    UpdateData(FALSE);
}

void CPathPage::OnChangeWeb() {
    UpdateData(TRUE);
    m_services.AppSettings().SavePath(SettingWebClient, m_strWeb);
}

void CPathPage::OnChangeFtp() {
    UpdateData(TRUE);
    m_services.AppSettings().SavePath(SettingFtpClient, m_strFtp);
}

void CPathPage::OnChangeTelnet() {
    UpdateData(TRUE);
    m_services.AppSettings().SavePath(SettingTelnetClient, m_strTelnet);
}

void CPathPage::OnChangeBackup() {
    UpdateData(TRUE);
    m_services.AppSettings().SavePath(SettingBackupPath, m_strBackup);
}
