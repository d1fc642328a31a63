// CWarningDlg: the three confirmation messages switched on or off.
#pragma once
#include "framework/dialog.h"

class CMainDlg;

class CWarningDlg : public CDialog {
public:
    explicit CWarningDlg(CMainDlg* main);

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
    CMainDlg* m_main;
};
