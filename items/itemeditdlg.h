// CItemEditDlg: which measurement items are selected and in which order
// they sit on the main window; applying rewrites the catalogue.
#pragma once
#include <functional>
#include <string>

#include "framework/dialog.h"
#include "items/itemlistctrl.h"
#include "widgets/imagebtn.h"

class AppPalette;

class CItemEditDlg : public CDialog {
public:
    // root: the program's registry root; programDir ends with a backslash;
    // palette: the one the main window's picture buttons draw with;
    // applied() brings the main window up to date after each apply.
    CItemEditDlg(CWnd* parent, HKEY root, const std::string& programDir, const AppPalette* palette,
                 std::function<void()> applied);

    // Shows the description of item index (-1: none).
    void SelChange(int index);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void OnMoveUp(UINT);
    void OnMoveDown(UINT);
    void OnUpdate(UINT);
    void OnHelp(UINT);
    void OnItemHelp(UINT);
    void Move(int direction);
    void Apply();
    void FillList();

    static const CommandEntry<CItemEditDlg> kCommands[];

    HKEY m_root;
    std::string m_programDir;
    const AppPalette* m_palette;
    std::function<void()> m_applied;
    CItemListCtrl m_list;
    CItemBtn m_picture;
};
