#pragma once
// The About dialog: program name, version and where to reach its makers. The
// homepage and the e-mail address are links.
#include "framework/framework.h"
#include "ui/widgets/static_link.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

    CStaticLink m_linkHome;
    CStaticLink m_linkMail;

protected:
    BOOL OnInitDialog() override;
};
