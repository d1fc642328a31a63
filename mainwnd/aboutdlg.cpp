#include "mainwnd/aboutdlg.h"

#include "mainwnd/version.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg(CWnd* parent, const settings::Version& productVersion)
    : CDialog(IDD_ABOUT, parent), m_productVersion(productVersion) {}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_ABOUT_VERSION, FormatAboutVersion(m_productVersion));
    return TRUE;
}
