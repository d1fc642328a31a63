#include "widgets/warningdlg.h"

#include "app/help.h"
#include "res/resource.h"

const CommandEntry<CWarningDlg> CWarningDlg::kCommands[] = {
    {IDC_UPDATE, IDC_UPDATE, BN_CLICKED, &CWarningDlg::OnUpdate},
    {IDC_HELPBTN, IDC_HELPBTN, BN_CLICKED, &CWarningDlg::OnHelp},
    {IDC_WARN_CLIPBOARD, IDC_WARN_CLIPBOARD, BN_CLICKED, &CWarningDlg::OnCheck},
    {IDC_WARN_RUNNUMBER, IDC_WARN_RUNNUMBER, BN_CLICKED, &CWarningDlg::OnCheck},
    {IDC_WARN_CONFIRM, IDC_WARN_CONFIRM, BN_CLICKED, &CWarningDlg::OnCheck},
};

CWarningDlg::CWarningDlg(CWnd* parent, HKEY root, settings::Options& options)
    : CDialog(IDD_WARNING, parent),
      m_warnClipboard(options.warnClipboard),
      m_runNumberMessage(options.runNumberMessage),
      m_confirmStart(options.confirmStart),
      m_root(root),
      m_options(options) {}

void CWarningDlg::DoDataExchange(CDataExchange& dx) {
    dx.Check(IDC_WARN_CLIPBOARD, m_warnClipboard);
    dx.Check(IDC_WARN_RUNNUMBER, m_runNumberMessage);
    dx.Check(IDC_WARN_CONFIRM, m_confirmStart);
}

bool CWarningDlg::OnCommand(UINT id, UINT code, HWND) { return DispatchCommandTable(this, kCommands, id, code); }

BOOL CWarningDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    EnableDlgItem(IDC_UPDATE, false);
    return TRUE;
}

void CWarningDlg::OnCheck(UINT) { EnableDlgItem(IDC_UPDATE, true); }
void CWarningDlg::OnUpdate(UINT) { Save(); }
void CWarningDlg::OnHelp(UINT) { AppHelp(m_hWnd, HELP_PARTIALKEY, "警告の設定"); }

void CWarningDlg::OnOK() {
    Save();
    EndDialog(IDOK);
}

// Always writes, changed or not: the main window takes the values at once.
void CWarningDlg::Save() {
    EnableDlgItem(IDC_UPDATE, false);
    UpdateData(true);
    m_options.warnClipboard = m_warnClipboard != 0;
    m_options.runNumberMessage = m_runNumberMessage != 0;
    m_options.confirmStart = m_confirmStart != 0;
    BYTE flag = settings::kFlagDefault;
    settings::ReadFlag(m_root, &flag);
    flag &= ~(settings::kFlagClipboardWarning | settings::kFlagRunNumberMessage | settings::kFlagConfirmStart);
    if (m_warnClipboard) flag |= settings::kFlagClipboardWarning;
    if (m_runNumberMessage) flag |= settings::kFlagRunNumberMessage;
    if (m_confirmStart) flag |= settings::kFlagConfirmStart;
    settings::WriteFlag(m_root, flag);
}
