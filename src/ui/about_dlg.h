#pragma once
// The About dialog: program name, version and where to reach its makers. The
// homepage and the e-mail address are links.
#include "framework/framework.h"
#include "ui/widgets/static_link.h"

class CAboutDlg : public CDialog {
public:
    // The links open their targets through `shell`.
    explicit CAboutDlg(Shell& shell = SystemShell());

    CStaticLink m_linkHome;
    CStaticLink m_linkMail;

protected:
    BOOL OnInitDialog() override;
};
