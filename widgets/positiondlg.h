// CPositionDlg: where the main window appears at the next start.
#pragma once
#include <string>

#include "app/settings.h"
#include "framework/dialog.h"

class CMainDlg;

// What the dialog shows when it opens, from the stored record (valid or not).
struct PositionChoice {
    int mode;
    int x, y;
    int keepInside;
};
PositionChoice InitialPositionChoice(bool valid, const settings::PositionRecord& rec, const RECT& work,
                                     SIZE window);

class CPositionDlg : public CDialog {
public:
    explicit CPositionDlg(CMainDlg* main);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void OnUpdate(UINT);
    void OnHelp(UINT);
    void OnModeButton(UINT id);
    void OnChange(UINT);
    LRESULT OnVScroll(WPARAM wp, LPARAM lp);
    void Save();

    static const CommandEntry<CPositionDlg> kCommands[];
    static const MessageEntry<CPositionDlg> kMessages[];

    int m_mode = -1;
    std::string m_xText, m_yText;
    int m_keepInside = 0;
    CMainDlg* m_main;
    int m_shownMode = 0, m_shownX = 0, m_shownY = 0, m_shownKeepInside = 0;
    int m_exitX = 0, m_exitY = 0;
};
