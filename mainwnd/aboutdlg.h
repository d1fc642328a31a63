// CAboutDlg: name, icon and the displayed product version.
#pragma once
#include "app/settings.h"
#include "framework/dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg(CWnd* parent, const settings::Version& productVersion);

protected:
    BOOL OnInitDialog() override;

private:
    settings::Version m_productVersion;
};
