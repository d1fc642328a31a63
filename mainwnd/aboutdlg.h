// CAboutDlg: name, icon and the displayed product version.
#pragma once
#include "framework/dialog.h"

class CMainDlg;

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CMainDlg* main);

protected:
    BOOL OnInitDialog() override;

private:
    CMainDlg* m_main;
};
