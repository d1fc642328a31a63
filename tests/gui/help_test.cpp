// The help: our viewer ZBHELP.EXE started by the real program, one window at
// a time, opened at the contents or at the topic of a dialog's keyword, and
// closed with the program.
#include <richedit.h>

#include "../../help/protocol.h"
#include "../../res/resource.h"
#include "zelbr_fixture.h"

using namespace zelbr;

namespace {

std::vector<HWND> Viewers() {
    std::vector<HWND> found;
    for (HWND w : gui::TopWindows(0))
        if (gui::ClassName(w) == hlp::kViewerClass) found.push_back(w);
    return found;
}

HWND WaitViewer(DWORD timeoutMs = 10000) { return gui::WaitWindow(0, hlp::kViewerClass, nullptr, timeoutMs); }

std::string Topic(HWND viewer) { return gui::ControlText(viewer, hlp::kIdTitle); }

// The topic once the viewer shows `want` (or whatever it shows at the timeout).
std::string WaitTopic(HWND viewer, const std::string& want) {
    gui::WaitFor([&] { return Topic(viewer) == want; }, 10000, 50);
    return Topic(viewer);
}

void CloseViewers() {
    for (HWND w : Viewers()) {
        PostMessageA(w, WM_CLOSE, 0, 0);
        gui::WaitGone(w, 5000);
    }
}

int ListCount(HWND viewer, int id) {
    return static_cast<int>(SendMessageA(GetDlgItem(viewer, id), LB_GETCOUNT, 0, 0));
}

// Clicks the text view at character position `cp`, as a user's click there.
void ClickText(HWND viewer, LONG cp) {
    HWND text = GetDlgItem(viewer, hlp::kIdText);
    LRESULT pt = SendMessageA(text, EM_POSFROMCHAR, cp, 0);
    LPARAM at = MAKELPARAM(LOWORD(pt) + 3, HIWORD(pt) + 3);
    PostMessageA(text, WM_MOUSEMOVE, 0, at);
    PostMessageA(text, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(text, WM_LBUTTONUP, 0, at);
}

class HelpTest : public ZelbrTest {
protected:
    void SetUp() override {
        ZelbrTest::SetUp();
        CloseViewers();
        ASSERT_TRUE(gui::CopyInto(dir_, DistDir() + "ZBHELP.EXE"));
        ASSERT_TRUE(gui::CopyInto(dir_, DistDir() + "ZELBR.HLP"));
    }
    void TearDown() override {
        ZelbrTest::TearDown();
        CloseViewers();
    }
};

TEST_F(HelpTest, FirstStartOpensTheContentsAndClosingTheProgramClosesTheViewer) {
    Start();
    EXPECT_NE(AnswerBox(), "");  // the notice to read the help first
    HWND viewer = WaitViewer();
    ASSERT_TRUE(viewer) << "no help viewer after the first-start notice";
    EXPECT_EQ(WaitTopic(viewer, "目次"), "目次");
    EXPECT_GT(ListCount(viewer, hlp::kIdContents), 10);
    HWND main = WaitMain();
    ASSERT_TRUE(main);
    SaveShot(viewer, "help_contents");
    CloseMain(main);
    EXPECT_TRUE(gui::WaitGone(viewer, 10000)) << "the viewer outlived the program";
}

TEST_F(HelpTest, ToolButtonAndSystemMenuOpenTheContentsInOneViewer) {
    MarkNotFirstStart();
    HWND main = StartMain();
    ASSERT_TRUE(main);
    EXPECT_TRUE(Viewers().empty()) << "help opened on a later start";
    ASSERT_TRUE(gui::Click(main, IDC_HELPFINDER));
    HWND viewer = WaitViewer();
    ASSERT_TRUE(viewer);
    EXPECT_EQ(WaitTopic(viewer, "目次"), "目次");

    // Away from the contents, then the system menu entry brings them back
    // in the same window.
    ClickText(viewer, static_cast<LONG>(SendMessageA(GetDlgItem(viewer, hlp::kIdText), EM_LINEINDEX, 2, 0)));
    gui::WaitFor([&] { return Topic(viewer) != "目次"; }, 5000, 50);
    ASSERT_NE(Topic(viewer), "目次") << "a click on the first link did not leave the contents";
    gui::SysCommand(main, 0xC0);
    EXPECT_EQ(WaitTopic(viewer, "目次"), "目次");
    Sleep(500);
    EXPECT_EQ(Viewers().size(), 1u);
    EXPECT_EQ(Viewers().front(), viewer);
    CloseMain(main);
    EXPECT_TRUE(gui::WaitGone(viewer, 10000));
}

// Each dialog's help button opens its own topic; every request goes to the
// viewer that is already open.
TEST_F(HelpTest, EachDialogsHelpButtonOpensItsTopicInTheSameViewer) {
    AddModule("T1");
    AddCatalogue(0, "T1.BNC");
    Settings(1, 0x0F);  // confirmation on, system information shown (its editor enabled)
    HWND main = StartMain();
    ASSERT_TRUE(main);
    struct Case {
        int tool;
        const char* caption;
        const char* topic;
    };
    const Case cases[] = {
        {IDC_SELLEVEL, "測定精度の選択", "測定精度の選択"},
        {IDC_SETWARN, "警告の設定", "警告の設定"},
        {IDC_SETPOS, "起動時の表示位置の設定", "表示位置の設定"},
        {IDC_SELDISP, "表示モードの選択", "表示モードの選択"},
        {IDC_EDITINFO, "システム情報の編集", "システム情報の編集"},
        {1009, "ZELBR", "注意事項"},  // the start confirmation of an item
    };
    HWND first = nullptr;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        // The main window takes input again only once the last dialog is gone.
        ASSERT_TRUE(gui::WaitFor([&] { return IsWindowEnabled(main) != FALSE; }, 5000));
        ASSERT_TRUE(gui::Click(main, c.tool));
        HWND dlg = WaitDialog(c.caption);
        ASSERT_TRUE(dlg);
        ASSERT_TRUE(gui::Click(dlg, IDC_HELPBTN));
        HWND viewer = WaitViewer();
        ASSERT_TRUE(viewer);
        EXPECT_EQ(WaitTopic(viewer, c.topic), c.topic);
        if (!first) first = viewer;
        EXPECT_EQ(viewer, first) << "a second viewer window";
        EXPECT_TRUE(IsWindowVisible(dlg)) << "the help button closed its dialog";
        gui::Click(dlg, IDCANCEL);
        ASSERT_TRUE(gui::WaitGone(dlg, 5000));
    }
    Sleep(500);
    EXPECT_EQ(Viewers().size(), 1u);
    EXPECT_EQ(Launches("T1"), "") << "the confirmation's help started a measurement";
    CloseMain(main);
}

TEST_F(HelpTest, LinksShowTheirTopicBackReturnsAndTypingFiltersTheIndex) {
    MarkNotFirstStart();
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ASSERT_TRUE(gui::Click(main, IDC_HELPFINDER));
    HWND viewer = WaitViewer();
    ASSERT_TRUE(viewer);
    ASSERT_EQ(WaitTopic(viewer, "目次"), "目次");
    EXPECT_FALSE(gui::IsControlEnabled(viewer, hlp::kIdBack)) << "back with no history";

    // Line 2 of the contents starts with the link "はじめに".
    HWND text = GetDlgItem(viewer, hlp::kIdText);
    ClickText(viewer, static_cast<LONG>(SendMessageA(text, EM_LINEINDEX, 2, 0)));
    EXPECT_EQ(WaitTopic(viewer, "はじめに"), "はじめに");
    SaveShot(viewer, "help_topic");
    ASSERT_TRUE(gui::Click(viewer, hlp::kIdBack));
    EXPECT_EQ(WaitTopic(viewer, "目次"), "目次");

    int all = ListCount(viewer, hlp::kIdKeyList);
    // 表示モードの選択, 表示位置の設定, 表示順.
    ASSERT_TRUE(gui::SetControlText(viewer, hlp::kIdKeyEdit, "表示"));
    EXPECT_TRUE(gui::WaitFor([&] { return ListCount(viewer, hlp::kIdKeyList) == 3; }, 5000))
        << "keywords starting with 表示: " << ListCount(viewer, hlp::kIdKeyList) << " of " << all;
    ASSERT_TRUE(gui::SetControlText(viewer, hlp::kIdKeyEdit, ""));
    EXPECT_TRUE(gui::WaitFor([&] { return ListCount(viewer, hlp::kIdKeyList) == all; }, 5000));
    CloseMain(main);
}

TEST_F(HelpTest, AMissingHelpFileIsReportedInTheViewer) {
    ASSERT_TRUE(DeleteFileA((dir_ + "ZELBR.HLP").c_str()));
    MarkNotFirstStart();
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ASSERT_TRUE(gui::Click(main, IDC_HELPFINDER));
    HWND viewer = WaitViewer();
    ASSERT_TRUE(viewer);
    EXPECT_EQ(WaitTopic(viewer, "ヘルプファイルを開けません"), "ヘルプファイルを開けません");
    EXPECT_EQ(ListCount(viewer, hlp::kIdContents), 0);
    SaveShot(viewer, "help_missing");
    CloseMain(main);
    EXPECT_TRUE(gui::WaitGone(viewer, 10000));
}

// An item's help file, as the item editor asks for it: the running viewer
// switches to that file's first page, and back to the manual on request.
TEST_F(HelpTest, ItemHelpFileOpensInTheRunningViewer) {
    ASSERT_TRUE(gui::CopyInto(dir_, DistDir() + "NOTEPAD.HLP"));
    gui::Program first = gui::Start(dir_ + "ZBHELP.EXE", "", "\"" + dir_ + "ZELBR.HLP\" -key \"警告\"");
    ASSERT_TRUE(first.ok());
    HWND viewer = WaitViewer();
    ASSERT_TRUE(viewer);
    EXPECT_EQ(WaitTopic(viewer, "警告の設定"), "警告の設定");

    gui::Program second = gui::Start(dir_ + "ZBHELP.EXE", "", "\"" + dir_ + "NOTEPAD.HLP\"");
    ASSERT_TRUE(second.ok());
    EXPECT_TRUE(gui::WaitExit(second, 10000)) << "the second viewer did not hand over and end";
    EXPECT_EQ(WaitTopic(viewer, "テキスト編集 (メモ帳)"), "テキスト編集 (メモ帳)");
    EXPECT_EQ(ListCount(viewer, hlp::kIdContents), 1);
    SaveShot(viewer, "help_item");

    // A key several topics answer: the manual's contents, and the index
    // narrowed to them to choose from.
    gui::Program third = gui::Start(dir_ + "ZBHELP.EXE", "", "\"" + dir_ + "ZELBR.HLP\" -key \"測定項目の\"");
    ASSERT_TRUE(third.ok());
    EXPECT_TRUE(gui::WaitExit(third, 10000));
    EXPECT_EQ(WaitTopic(viewer, "目次"), "目次");
    EXPECT_EQ(gui::ControlText(viewer, hlp::kIdKeyEdit), "測定項目の");
    EXPECT_EQ(ListCount(viewer, hlp::kIdKeyList), 5);  // 編集, 選択, ヘルプ, 保存, 呼び出し
    EXPECT_EQ(Viewers().size(), 1u);
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(gui::WaitExit(first, 10000));
}

}  // namespace
