#include "ui/config/path_page.h"

#include <cstdio>

#include "core/settings/settings.h"
#include "res/resource.h"
#include "ui/app_services.h"
#include "ui/widgets/path_chooser.h"

BEGIN_MESSAGE_MAP(CPathPage, CTabPage)
    ON_WM_SHOWWINDOW()
    ON_EN_CHANGE(IDC_PATH_WEB, OnChangeWeb)
    ON_EN_CHANGE(IDC_PATH_FTP, OnChangeFtp)
    ON_EN_CHANGE(IDC_PATH_TELNET, OnChangeTelnet)
    ON_EN_CHANGE(IDC_PATH_BACKUP, OnChangeBackup)
    ON_BN_CLICKED(IDC_PATH_WEB_BROWSE, OnBrowseWeb)
    ON_BN_CLICKED(IDC_PATH_FTP_BROWSE, OnBrowseFtp)
    ON_BN_CLICKED(IDC_PATH_TELNET_BROWSE, OnBrowseTelnet)
    ON_BN_CLICKED(IDC_PATH_BACKUP_BROWSE, OnBrowseBackup)
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

// The members hold what each edit shows: filled with it, and read back at
// every change.
void CPathPage::OnBrowseWeb() { BrowseProgram(IDC_PATH_WEB, m_strWeb); }
void CPathPage::OnBrowseFtp() { BrowseProgram(IDC_PATH_FTP, m_strFtp); }
void CPathPage::OnBrowseTelnet() { BrowseProgram(IDC_PATH_TELNET, m_strTelnet); }

void CPathPage::OnBrowseBackup() {
    std::string chosen;
    if (ChooseFolder(DialogOwner(), m_strBackup, "Choose the folder for the vault's backup:", chosen)) {
        PutChosenPath(IDC_PATH_BACKUP, chosen);
    }
}

// The Config dialog: an owner that is a child window would leave the dialog
// around it enabled under the modal one.
HWND CPathPage::DialogOwner() const { return ::GetAncestor(m_hWnd, GA_ROOT); }

void CPathPage::BrowseProgram(int nIDEdit, const std::string& current) {
    std::string chosen;
    if (ChooseProgram(DialogOwner(), current, chosen)) PutChosenPath(nIDEdit, chosen);
}

void CPathPage::PutChosenPath(int nIDEdit, const std::string& path) {
    if (path.size() > kSettingTextMax) {
        char message[96];
        std::snprintf(message, sizeof message, "The path is longer than %u characters and cannot be stored.",
                      static_cast<unsigned>(kSettingTextMax));
        ::MessageBoxA(DialogOwner(), message, "Config", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    HWND hWndEdit = ::GetDlgItem(m_hWnd, nIDEdit);
    ::SendMessageA(hWndEdit, EM_SETSEL, 0, -1);
    ::SendMessageA(hWndEdit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
}
