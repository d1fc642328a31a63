// CPositionDlg: where the main window appears at the next start.
#pragma once
#include <string>

#include "app/settings.h"
#include "framework/dialog.h"

// What the dialog shows: from the stored record (valid or not) when it opens,
// or what its controls hold at a save.
struct PositionChoice {
    int mode;
    int x, y;
    int keepInside;
};
PositionChoice InitialPositionChoice(bool valid, const settings::PositionRecord& rec, const RECT& work,
                                     SIZE window);

// Whether a save writes the record. Mode and flag are compared with the last
// save (shown takes the new ones), x and y with what the dialog opened with.
bool PositionSaveWrites(PositionChoice* shown, const PositionChoice& now);

class CPositionDlg : public CDialog {
public:
    // root: the program's registry root; mainSize: the main window's size,
    // for pulling the shown position inside the work area.
    CPositionDlg(CWnd* parent, HKEY root, SIZE mainSize);

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
    void SetCoordinatesTypable(bool typable) const;
    void Save();

    static const CommandEntry<CPositionDlg> kCommands[];
    static const MessageEntry<CPositionDlg> kMessages[];

    int m_mode = -1;
    std::string m_xText, m_yText;
    int m_keepInside = 0;
    HKEY m_root;
    SIZE m_mainSize;
    PositionChoice m_shown{};
    int m_exitX = 0, m_exitY = 0;
};
