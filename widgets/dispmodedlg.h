// CDisplayModeDlg: normal (compact) display or system information shown too.
#pragma once
#include <functional>

#include "app/settings.h"
#include "framework/dialog.h"

class CDisplayModeDlg : public CDialog {
public:
    // A different mode chosen goes into options at once, relayout() moves
    // the main window's controls, and bit 3 of "Flag" under root stores it.
    CDisplayModeDlg(CWnd* parent, HKEY root, settings::Options& options, std::function<void()> relayout);

protected:
    void OnOK() override;
    void DoDataExchange(CDataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void OnHelp(UINT);
    static const CommandEntry<CDisplayModeDlg> kCommands[];
    int m_mode;
    HKEY m_root;
    settings::Options& m_options;
    std::function<void()> m_relayout;
};
