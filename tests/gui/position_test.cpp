#include "../../res/resource.h"
#include "zelbr_fixture.h"

#include <cstdlib>

using namespace zelbr;

namespace {

RECT WindowRect(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r;
}

bool IsReadOnly(HWND dlg, int id) { return (GetWindowLongA(GetDlgItem(dlg, id), GWL_STYLE) & ES_READONLY) != 0; }

// A mouse click on the upper arrow of an up-down, as a user makes it; refused
// (false) when the up-down is disabled.
bool ClickUpArrow(HWND dlg, int id) {
    HWND spin = GetDlgItem(dlg, id);
    if (!spin || !IsWindowVisible(spin) || !IsWindowEnabled(spin)) return false;
    RECT r;
    GetClientRect(spin, &r);
    LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 4);
    PostMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(spin, WM_LBUTTONUP, 0, at);
    return true;
}

// A character typed into an edit, handled before this returns. A disabled
// edit takes no focus, so nothing reaches it.
void Type(HWND dlg, int id, char c) {
    HWND edit = GetDlgItem(dlg, id);
    if (!IsWindowEnabled(edit)) return;
    DWORD_PTR ignored;
    SendMessageTimeoutA(edit, WM_CHAR, static_cast<unsigned char>(c), 1, SMTO_ABORTIFHUNG, 5000, &ignored);
}

}  // namespace

TEST_F(ZelbrTest, SpecifiedPositionIsUsedAndCornerGetsOnePixel) {
    gui::RegWriteBinary(kIni, "Position", PositionBytes(2, 0, 0, 120, 90, 0));
    HWND main = StartMain();
    ASSERT_TRUE(main);
    RECT r = WindowRect(main);
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.top, 90);
    CloseMain(main);

    RECT work = WorkArea();
    gui::RegWriteBinary(kIni, "Position", PositionBytes(2, 0, 0, work.left, work.top, 0));
    main = StartMain();
    ASSERT_TRUE(main);
    r = WindowRect(main);
    EXPECT_EQ(r.left, work.left + 1);
    EXPECT_EQ(r.top, work.top);
    CloseMain(main);
}

TEST_F(ZelbrTest, MinimisedExitPositionIsPulledInside) {
    gui::RegWriteBinary(kIni, "Position", PositionBytes(1, 3000, 3000, 5, 5, 0));
    HWND main = StartMain();
    ASSERT_TRUE(main);
    RECT r = WindowRect(main), work = WorkArea();
    EXPECT_EQ(r.right, work.right);
    EXPECT_EQ(r.bottom, work.bottom);
    // The stored record is not changed by the placement.
    EXPECT_EQ(PositionFields(Value(kIni, "Position"))[5], 0);
    CloseMain(main);
}

TEST_F(ZelbrTest, ExitPositionIsSavedAtClose) {
    gui::RegWriteBinary(kIni, "Position", PositionBytes(1, 10, 10, 77, 66, 0));
    HWND main = StartMain();
    ASSERT_TRUE(main);
    SetWindowPos(main, nullptr, 210, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(gui::WaitFor([&] { return WindowRect(main).left == 210; }, 3000));
    CloseMain(main);
    std::vector<int32_t> pos = PositionFields(Value(kIni, "Position"));
    EXPECT_EQ(pos, (std::vector<int32_t>{1, 210, 150, 77, 66, 0}));
}

TEST_F(ZelbrTest, PositionDialogWritesOnlyChanges) {
    gui::RegWriteBinary(kIni, "Position", PositionBytes(0, 31, 32, 100, 110, 0));
    HWND main = StartMain();
    ASSERT_TRUE(main);
    const std::vector<uint8_t> before = Value(kIni, "Position");

    ASSERT_TRUE(gui::Click(main, IDC_SETPOS));
    HWND dlg = WaitDialog("起動時の表示位置の設定");
    ASSERT_TRUE(dlg);
    SaveShot(dlg, "position");
    EXPECT_FALSE(gui::IsControlEnabled(dlg, IDC_UPDATE));
    EXPECT_EQ(gui::CheckState(dlg, IDC_POS_CENTER), BST_CHECKED);
    EXPECT_EQ(gui::ControlText(dlg, IDC_POS_X), "100");
    EXPECT_EQ(gui::ControlText(dlg, IDC_POS_Y), "110");
    EXPECT_TRUE(IsReadOnly(dlg, IDC_POS_X));
    EXPECT_TRUE(IsReadOnly(dlg, IDC_POS_Y));

    // To "at exit" and back to centre: enabled, and the save finds nothing new.
    gui::Click(dlg, IDC_POS_ATEXIT);
    EXPECT_TRUE(gui::WaitFor([&] { return gui::IsControlEnabled(dlg, IDC_UPDATE); }, 3000));
    gui::Click(dlg, IDC_POS_CENTER);
    gui::WaitFor([&] { return gui::CheckState(dlg, IDC_POS_CENTER) == BST_CHECKED; }, 3000);
    EXPECT_TRUE(gui::IsControlEnabled(dlg, IDC_UPDATE));
    gui::Click(dlg, IDC_UPDATE);
    EXPECT_TRUE(gui::WaitFor([&] { return !gui::IsControlEnabled(dlg, IDC_UPDATE); }, 3000));
    EXPECT_EQ(Value(kIni, "Position"), before);

    // Specified position with a non-number: saved as 0, exit position kept.
    gui::Click(dlg, IDC_POS_SPECIFIED);
    EXPECT_TRUE(gui::WaitFor([&] { return !IsReadOnly(dlg, IDC_POS_X); }, 3000));
    EXPECT_FALSE(IsReadOnly(dlg, IDC_POS_Y));
    gui::SetControlText(dlg, IDC_POS_X, "abc");
    gui::SetControlText(dlg, IDC_POS_Y, "-40");
    gui::Click(dlg, IDC_UPDATE);
    EXPECT_TRUE(gui::WaitFor([&] { return PositionFields(Value(kIni, "Position"))[0] == 2; }, 3000));
    EXPECT_EQ(PositionFields(Value(kIni, "Position")), (std::vector<int32_t>{2, 31, 32, 0, -40, 0}));

    // Cancel keeps what "更新" saved.
    gui::Click(dlg, IDCANCEL);
    EXPECT_TRUE(gui::WaitGone(dlg));
    EXPECT_EQ(PositionFields(Value(kIni, "Position"))[0], 2);
    CloseMain(main);
}

TEST_F(ZelbrTest, PositionDialogArrowsWorkInEveryModeTypingOnlyInSpecified) {
    gui::RegWriteBinary(kIni, "Position", PositionBytes(0, 31, 32, 100, 110, 0));
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ASSERT_TRUE(gui::Click(main, IDC_SETPOS));
    HWND dlg = WaitDialog("起動時の表示位置の設定");
    ASSERT_TRUE(dlg);
    ASSERT_EQ(gui::CheckState(dlg, IDC_POS_CENTER), BST_CHECKED);

    // Centre mode: typing changes nothing and leaves "更新" off.
    Type(dlg, IDC_POS_X, '7');
    Type(dlg, IDC_POS_Y, '7');
    EXPECT_EQ(gui::ControlText(dlg, IDC_POS_X), "100");
    EXPECT_EQ(gui::ControlText(dlg, IDC_POS_Y), "110");
    EXPECT_FALSE(gui::IsControlEnabled(dlg, IDC_UPDATE));

    // The arrow still moves x and offers the save.
    ASSERT_TRUE(ClickUpArrow(dlg, IDC_POS_XSPIN)) << "up-down disabled in centre mode";
    EXPECT_TRUE(gui::WaitFor([&] { return gui::ControlText(dlg, IDC_POS_X) != "100"; }, 5000));
    const std::string x = gui::ControlText(dlg, IDC_POS_X);
    EXPECT_GT(std::atoi(x.c_str()), 100);
    EXPECT_TRUE(gui::IsControlEnabled(dlg, IDC_UPDATE));
    gui::Click(dlg, IDC_UPDATE);
    EXPECT_TRUE(gui::WaitFor([&] { return PositionFields(Value(kIni, "Position"))[3] != 100; }, 3000));
    EXPECT_EQ(PositionFields(Value(kIni, "Position")),
              (std::vector<int32_t>{0, 31, 32, std::atoi(x.c_str()), 110, 0}));

    // At exit: the same.
    gui::Click(dlg, IDC_POS_ATEXIT);
    EXPECT_TRUE(gui::WaitFor([&] { return gui::CheckState(dlg, IDC_POS_ATEXIT) == BST_CHECKED; }, 3000));
    Type(dlg, IDC_POS_Y, '7');
    EXPECT_EQ(gui::ControlText(dlg, IDC_POS_Y), "110");
    ASSERT_TRUE(ClickUpArrow(dlg, IDC_POS_YSPIN)) << "up-down disabled in at-exit mode";
    EXPECT_TRUE(gui::WaitFor([&] { return gui::ControlText(dlg, IDC_POS_Y) != "110"; }, 5000));

    // Specified: typing reaches the edit.
    gui::Click(dlg, IDC_POS_SPECIFIED);
    EXPECT_TRUE(gui::WaitFor([&] { return !IsReadOnly(dlg, IDC_POS_X); }, 3000));
    const std::string before = gui::ControlText(dlg, IDC_POS_X);
    Type(dlg, IDC_POS_X, '7');
    EXPECT_NE(gui::ControlText(dlg, IDC_POS_X), before);
    gui::Click(dlg, IDCANCEL);
    EXPECT_TRUE(gui::WaitGone(dlg));
    CloseMain(main);
}

TEST_F(ZelbrTest, PositionDialogPullsTheShownPositionInsideForTheMainWindowSize) {
    gui::RegWriteBinary(kIni, "Position", PositionBytes(0, 1, 2, 5000, 6000, 1));
    HWND main = StartMain();
    ASSERT_TRUE(main);
    RECT r = WindowRect(main), work = WorkArea();
    ASSERT_NE(r.right - r.left, r.bottom - r.top);
    ASSERT_TRUE(gui::Click(main, IDC_SETPOS));
    HWND dlg = WaitDialog("起動時の表示位置の設定");
    ASSERT_TRUE(dlg);
    EXPECT_EQ(gui::ControlText(dlg, IDC_POS_X), std::to_string(work.right - (r.right - r.left)));
    EXPECT_EQ(gui::ControlText(dlg, IDC_POS_Y), std::to_string(work.bottom - (r.bottom - r.top)));
    EXPECT_EQ(gui::CheckState(dlg, IDC_POS_KEEPINSIDE), BST_CHECKED);
    gui::Click(dlg, IDCANCEL);
    EXPECT_TRUE(gui::WaitGone(dlg));
    CloseMain(main);
}

TEST_F(ZelbrTest, PositionDialogOkWithoutChangeWritesNothing) {
    MarkNotFirstStart();
    HWND main = StartMain();
    ASSERT_TRUE(main);
    // Make the stored record distinguishable from what the dialog would write.
    gui::RegWriteBinary(kIni, "Position", PositionBytes(2, 1, 2, 300, 200, 0));
    ASSERT_TRUE(gui::Click(main, IDC_SETPOS));
    HWND dlg = WaitDialog("起動時の表示位置の設定");
    ASSERT_TRUE(dlg);
    gui::RegWriteBinary(kIni, "Position", {0xAA});  // a write would replace this
    gui::Click(dlg, IDOK);
    EXPECT_TRUE(gui::WaitGone(dlg));
    EXPECT_EQ(Value(kIni, "Position"), std::vector<uint8_t>{0xAA});
    // Shutdown repairs it as the exit record.
    CloseMain(main);
}

TEST_F(ZelbrTest, WarningDialogKeepsOtherFlagBits) {
    gui::RegWriteBinary(kIni, "Flag", {0xF7});  // bits 4-7 set, display mode 0
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ASSERT_TRUE(gui::Click(main, IDC_SETWARN));
    HWND dlg = WaitDialog("警告の設定");
    ASSERT_TRUE(dlg);
    SaveShot(dlg, "warning");
    EXPECT_FALSE(gui::IsControlEnabled(dlg, IDC_UPDATE));
    EXPECT_EQ(gui::CheckState(dlg, IDC_WARN_CLIPBOARD), BST_CHECKED);
    EXPECT_EQ(gui::CheckState(dlg, IDC_WARN_RUNNUMBER), BST_CHECKED);
    EXPECT_EQ(gui::CheckState(dlg, IDC_WARN_CONFIRM), BST_CHECKED);

    gui::Click(dlg, IDC_WARN_CLIPBOARD);
    EXPECT_TRUE(gui::WaitFor([&] { return gui::IsControlEnabled(dlg, IDC_UPDATE); }, 3000));
    gui::Click(dlg, IDC_WARN_CONFIRM);
    gui::Click(dlg, IDC_UPDATE);
    EXPECT_TRUE(gui::WaitFor([&] { return Value(kIni, "Flag") == std::vector<uint8_t>{0xF2}; }, 3000));
    EXPECT_FALSE(gui::IsControlEnabled(dlg, IDC_UPDATE));
    gui::Click(dlg, IDCANCEL);
    EXPECT_TRUE(gui::WaitGone(dlg));
    EXPECT_EQ(Value(kIni, "Flag"), std::vector<uint8_t>{0xF2});

    // The main window took the saved values: a new dialog shows them.
    ASSERT_TRUE(gui::Click(main, IDC_SETWARN));
    dlg = WaitDialog("警告の設定");
    ASSERT_TRUE(dlg);
    EXPECT_EQ(gui::CheckState(dlg, IDC_WARN_CLIPBOARD), BST_UNCHECKED);
    EXPECT_EQ(gui::CheckState(dlg, IDC_WARN_CONFIRM), BST_UNCHECKED);
    EXPECT_EQ(gui::CheckState(dlg, IDC_WARN_RUNNUMBER), BST_CHECKED);
    // OK always writes: a missing value comes back.
    gui::RegWriteBinary(kIni, "Flag", {0x01, 0x02});
    gui::Click(dlg, IDOK);
    EXPECT_TRUE(gui::WaitGone(dlg));
    // Malformed reads as 7 (bit 3 clear); bits 0 and 2 cleared, 1 kept.
    EXPECT_EQ(Value(kIni, "Flag"), std::vector<uint8_t>{0x02});
    CloseMain(main);
}
