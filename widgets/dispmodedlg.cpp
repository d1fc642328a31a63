#include "widgets/dispmodedlg.h"

#include "app/help.h"
#include "res/resource.h"

const CommandEntry<CDisplayModeDlg> CDisplayModeDlg::kCommands[] = {
    {IDC_HELPBTN, IDC_HELPBTN, BN_CLICKED, &CDisplayModeDlg::OnHelp},
};

CDisplayModeDlg::CDisplayModeDlg(CWnd* parent, HKEY root, settings::Options& options,
                                 std::function<void()> relayout)
    : CDialog(IDD_DISPMODE, parent),
      m_mode(options.displayMode),
      m_root(root),
      m_options(options),
      m_relayout(std::move(relayout)) {}

void CDisplayModeDlg::DoDataExchange(CDataExchange& dx) { dx.Radio(IDC_DISP_NORMAL, m_mode); }

bool CDisplayModeDlg::OnCommand(UINT id, UINT code, HWND) { return DispatchCommandTable(this, kCommands, id, code); }

void CDisplayModeDlg::OnHelp(UINT) { AppHelp(m_hWnd, HELP_PARTIALKEY, "表示モードの選択"); }

void CDisplayModeDlg::OnOK() {
    UpdateData(true);
    if (m_mode == 0 || m_mode == 1) {
        if (m_mode != m_options.displayMode) {
            m_options.displayMode = m_mode;
            if (m_relayout) m_relayout();
            BYTE flag = settings::kFlagDefault;
            settings::ReadFlag(m_root, &flag);
            flag = m_mode ? flag | settings::kFlagDisplayMode : flag & ~settings::kFlagDisplayMode;
            settings::WriteFlag(m_root, flag);
        }
    }
    EndDialog(IDOK);
}
