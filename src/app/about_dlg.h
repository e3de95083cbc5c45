#pragma once
// The About dialog: program name, version and where to reach its makers.
#include "framework/framework.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
