#pragma once
// The Config dialog's "Local" page: the client tool paths and the backup
// folder. Every change of an edit is stored at once; a Browse button beside
// each edit chooses the path in the system's dialog instead.
#include <string>

#include "ui/config/tab_page_ctrl.h"

class AppServices;

class CPathPage : public CTabPage {
public:
    explicit CPathPage(AppServices& services);

    std::string m_strWeb;
    std::string m_strFtp;
    std::string m_strTelnet;
    std::string m_strBackup;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Shown or hidden: the edits show the settings as they are now.
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnChangeWeb();
    void OnChangeFtp();
    void OnChangeTelnet();
    void OnChangeBackup();
    void OnBrowseWeb();
    void OnBrowseFtp();
    void OnBrowseTelnet();
    void OnBrowseBackup();

private:
    // Puts a chosen path into the edit as typing it would, so that the
    // edit's own change handler checks and stores it. A path longer than a
    // setting holds is refused whole (typing would cut it to another file).
    void PutChosenPath(int nIDEdit, const std::string& path);
    void BrowseProgram(int nIDEdit, const std::string& current);
    HWND DialogOwner() const;

    AppServices& m_services;

    DECLARE_MESSAGE_MAP()
};
