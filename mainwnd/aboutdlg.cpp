#include "mainwnd/aboutdlg.h"

#include "mainwnd/maindlg.h"
#include "mainwnd/version.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg(CMainDlg* main) : CDialog(IDD_ABOUT, main), m_main(main) {}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_ABOUT_VERSION, FormatAboutVersion(m_main->ShownProductVersion()));
    return TRUE;
}
