// CWarningDlg: the three confirmation messages switched on or off.
#pragma once
#include "app/settings.h"
#include "framework/dialog.h"

class CWarningDlg : public CDialog {
public:
    // options: the main window's settings, which a save updates at once
    // together with "Flag" under root.
    CWarningDlg(CWnd* parent, HKEY root, settings::Options& options);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void OnUpdate(UINT);
    void OnHelp(UINT);
    void OnCheck(UINT);
    void Save();

    static const CommandEntry<CWarningDlg> kCommands[];

    int m_warnClipboard;
    int m_runNumberMessage;
    int m_confirmStart;
    HKEY m_root;
    settings::Options& m_options;
};
