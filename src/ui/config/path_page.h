#pragma once
// The Config dialog's "Local" page: the client tool paths and the backup
// folder. Every change of an edit is stored at once.
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

private:
    AppServices& m_services;

    DECLARE_MESSAGE_MAP()
};
