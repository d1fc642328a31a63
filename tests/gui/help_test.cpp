// The help: our viewer ZBHELP.EXE started by the real program, one window at
// a time, opened at the contents or at the topic of a dialog's keyword, and
// closed with the program.
#include <richedit.h>
#include <tlhelp32.h>

#include <algorithm>

#include "../../help/hlpfile.h"
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

// Viewer processes, with a window or without one yet.
int ViewerProcesses() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    PROCESSENTRY32 pe = {};
    pe.dwSize = sizeof pe;
    int n = 0;
    for (BOOL ok = Process32First(snap, &pe); ok; ok = Process32Next(snap, &pe))
        if (lstrcmpiA(pe.szExeFile, hlp::kViewerExe) == 0) ++n;
    CloseHandle(snap);
    return n;
}

bool WaitViewerProcesses(int n, DWORD timeoutMs = 10000) {
    return gui::WaitFor([&] { return ViewerProcesses() == n; }, timeoutMs, 50);
}

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

// Pixels of one colour on line `line` of the text view's picture `shot`.
int PixelsOnLine(HWND viewer, const gui::Image& shot, int line, COLORREF colour) {
    HWND text = GetDlgItem(viewer, hlp::kIdText);
    LRESULT first = SendMessageA(text, EM_LINEINDEX, line, 0);
    LRESULT next = SendMessageA(text, EM_LINEINDEX, line + 1, 0);
    if (first < 0 || next <= first) return 0;
    int top = HIWORD(SendMessageA(text, EM_POSFROMCHAR, first, 0));
    int bottom = HIWORD(SendMessageA(text, EM_POSFROMCHAR, next, 0));
    int n = 0;
    for (int y = std::max(0, top); y < std::min(bottom, shot.h); ++y)
        for (int x = 0; x < shot.w; ++x) n += shot.At(x, y) == colour;
    return n;
}

const COLORREF kNavy = RGB(0, 0, 128), kBlue = RGB(0, 0, 255), kBlack = RGB(0, 0, 0);

// The manual's contents: the title and the group headings in navy, links in
// blue. Every link line (blue) opens a topic of its own, the last one
// "結果のコピーと保存", and back returns: link positions do not drift.
void CheckContentsAndLinks(HWND viewer) {
    ASSERT_EQ(WaitTopic(viewer, "目次"), "目次");
    HWND text = GetDlgItem(viewer, hlp::kIdText);
    RedrawWindow(viewer, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(200);
    gui::Image shot = gui::Grab(text, true);
    EXPECT_GT(PixelsOnLine(viewer, shot, 0, kNavy), 50) << "the title line";
    EXPECT_GT(PixelsOnLine(viewer, shot, 1, kNavy), 50) << "the heading はじめにお読みください";
    EXPECT_EQ(PixelsOnLine(viewer, shot, 2, kBlack), 0) << "the link はじめに";

    std::vector<std::string> opened;
    int lines = static_cast<int>(SendMessageA(text, EM_GETLINECOUNT, 0, 0));
    for (int line = 1; line < lines; ++line) {
        if (PixelsOnLine(viewer, shot, line, kBlue) < 30) continue;
        SCOPED_TRACE(line);
        ClickText(viewer, static_cast<LONG>(SendMessageA(text, EM_LINEINDEX, line, 0)));
        EXPECT_TRUE(gui::WaitFor([&] { return Topic(viewer) != "目次"; }, 3000, 20)) << "a link that opens nothing";
        opened.push_back(Topic(viewer));
        if (Topic(viewer) == "目次") continue;
        EXPECT_TRUE(gui::Click(viewer, hlp::kIdBack));
        ASSERT_EQ(WaitTopic(viewer, "目次"), "目次");
    }
    EXPECT_EQ(opened.size(), 17u);  // the contents' links
    ASSERT_FALSE(opened.empty());
    EXPECT_EQ(opened.front(), "はじめに");
    EXPECT_EQ(opened.back(), "結果のコピーと保存");
    std::vector<std::string> distinct = opened;
    std::sort(distinct.begin(), distinct.end());
    EXPECT_EQ(std::unique(distinct.begin(), distinct.end()), distinct.end()) << "two links open one topic";
}

class HelpTest : public ZelbrTest {
protected:
    void SetUp() override {
        ZelbrTest::SetUp();
        SetEnvironmentVariableA("ZBHELP_RICHEDIT10", nullptr);
        CloseViewers();
        ASSERT_TRUE(gui::CopyInto(dir_, DistDir() + "ZBHELP.EXE"));
        ASSERT_TRUE(gui::CopyInto(dir_, DistDir() + "ZELBR.HLP"));
    }
    void TearDown() override {
        ZelbrTest::TearDown();
        CloseViewers();
        SetEnvironmentVariableA("ZBHELP_RICHEDIT10", nullptr);
    }
    // The viewer on the manual's contents, started as the program starts it.
    gui::Program StartViewer(HWND* viewer) {
        gui::Program p = gui::Start(dir_ + "ZBHELP.EXE", "", "\"" + dir_ + "ZELBR.HLP\"");
        *viewer = p.ok() ? WaitViewer() : nullptr;
        return p;
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
    EXPECT_EQ(gui::ClassName(GetDlgItem(viewer, hlp::kIdText)), RICHEDIT_CLASSA) << "Rich Edit 2.0 where it is";
    SaveShot(viewer, "help_contents_richedit20");
    CheckContentsAndLinks(viewer);
    ClickText(viewer, static_cast<LONG>(SendMessageA(GetDlgItem(viewer, hlp::kIdText), EM_LINEINDEX, 2, 0)));
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

// Windows 95 has no Rich Edit 2.0: the viewer shows the same page with Rich
// Edit 1.0, headings and links included, and follows its links.
TEST_F(HelpTest, WithOnlyRichEdit10TheViewerShowsHeadingsAndFollowsLinks) {
    SetEnvironmentVariableA("ZBHELP_RICHEDIT10", "1");  // inherited by the viewer
    HWND viewer = nullptr;
    gui::Program p = StartViewer(&viewer);
    ASSERT_TRUE(viewer);
    EXPECT_EQ(gui::ClassName(GetDlgItem(viewer, hlp::kIdText)), RICHEDIT_CLASS10A);
    ASSERT_EQ(WaitTopic(viewer, "目次"), "目次");
    SaveShot(viewer, "help_contents_richedit10");
    CheckContentsAndLinks(viewer);
    ClickText(viewer, static_cast<LONG>(SendMessageA(GetDlgItem(viewer, hlp::kIdText), EM_LINEINDEX, 2, 0)));
    EXPECT_EQ(WaitTopic(viewer, "はじめに"), "はじめに");
    SaveShot(viewer, "help_topic_richedit10");
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(gui::WaitExit(p, 10000));
}

// Help asked for and the program closed at once: the viewer, still starting
// when the program tells help to quit, ends too.
TEST_F(HelpTest, AHelpRequestMadeJustBeforeExitEndsWithTheProgram) {
    MarkNotFirstStart();
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ASSERT_TRUE(gui::Click(main, IDC_HELPFINDER));
    CloseMain(main);  // queued right behind the request
    EXPECT_TRUE(WaitViewerProcesses(0)) << ViewerProcesses() << " viewer(s) outlived the program";
    EXPECT_TRUE(Viewers().empty());
}

// A program that ends without closing its window (killed, crashed) takes its
// help with it, though nobody asked the viewer to quit.
TEST_F(HelpTest, TheViewerEndsWithAProgramThatDiesWithoutClosing) {
    MarkNotFirstStart();
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ASSERT_TRUE(gui::Click(main, IDC_HELPFINDER));
    HWND viewer = WaitViewer();
    ASSERT_TRUE(viewer);
    ASSERT_EQ(WaitTopic(viewer, "目次"), "目次");
    ASSERT_TRUE(TerminateProcess(program_.process, 1));
    EXPECT_TRUE(gui::WaitGone(viewer, 10000));
    EXPECT_TRUE(WaitViewerProcesses(0)) << "the viewer outlived the program";
}

// Requests a few milliseconds apart start viewers at the same time; one of
// them shows the help, the others hand over and end, round after round; and
// the program's exit closes it.
TEST_F(HelpTest, RequestsMadeTogetherOpenOneViewer) {
    MarkNotFirstStart();
    HWND main = StartMain();
    ASSERT_TRUE(main);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        for (int i = 0; i < 3; ++i) ASSERT_TRUE(gui::Click(main, IDC_HELPFINDER));
        HWND viewer = WaitViewer();
        ASSERT_TRUE(viewer);
        EXPECT_EQ(WaitTopic(viewer, "目次"), "目次");
        EXPECT_TRUE(WaitViewerProcesses(1)) << ViewerProcesses() << " viewers";
        Sleep(300);
        EXPECT_EQ(Viewers().size(), 1u);
        if (round == 3) break;
        PostMessageA(viewer, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitViewerProcesses(0));
    }
    CloseMain(main);
    EXPECT_TRUE(WaitViewerProcesses(0)) << "the viewer outlived the program";
}

hlp::File OneTopic(const std::string& title) {
    hlp::File f;
    f.topics.resize(1);
    f.topics[0].title = title;
    f.topics[0].keywords = {"k"};
    return f;
}

// Help files that froze the viewer for a minute: far too many runs for a
// page is shown cut short with a note, far too many keywords is refused;
// either way the viewer answers and ends with the program.
TEST_F(HelpTest, HostileHelpFilesAreCutShortOrRefusedAndTheViewerEndsWithTheProgram) {
    hlp::File runs = OneTopic("runs");
    for (int i = 0; i < 10000; ++i) {
        runs.topics[0].runs.push_back({hlp::kText, 0, "本文"});
        runs.topics[0].runs.push_back({hlp::kLink, 0, "リンク"});
        runs.topics[0].runs.push_back({hlp::kHeading, 0, "見出し"});
    }
    // 4 MB of keywords of no letters: 32 topics of 65535 each.
    std::string empty(hlp::kMagic, sizeof hlp::kMagic);
    empty += std::string("\x20\0\0\0", 4);
    for (int t = 0; t < 32; ++t) empty += std::string("\x01\0T\xFF\xFF", 5) + std::string(2 * 0xFFFF + 4, '\0');
    hlp::File index = OneTopic("index");
    index.topics[0].keywords.assign(hlp::kMaxKeywords + 1, "k");
    auto bytes = [](const hlp::File& f) {
        std::vector<uint8_t> b = hlp::Write(f);
        return std::string(b.begin(), b.end());
    };
    struct Case {
        const char* name;
        std::string bytes;
        std::string topic;
    };
    const Case cases[] = {
        {"30000 runs", bytes(runs), "runs"},
        {"4 MB of empty keywords", empty, "ヘルプファイルを開けません"},
        {"8193 keywords", bytes(index), "ヘルプファイルを開けません"},
    };
    MarkNotFirstStart();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(dir_ + "ZELBR.HLP", c.bytes);
        HWND main = StartMain();
        ASSERT_TRUE(main);
        ASSERT_TRUE(gui::Click(main, IDC_HELPFINDER));
        HWND viewer = WaitViewer();
        ASSERT_TRUE(viewer);
        EXPECT_EQ(WaitTopic(viewer, c.topic), c.topic);
        DWORD_PTR ignored;
        EXPECT_TRUE(SendMessageTimeoutA(viewer, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored));
        if (c.topic == "runs") {
            // 80000 characters would take over a thousand lines.
            LRESULT lines = SendMessageA(GetDlgItem(viewer, hlp::kIdText), EM_GETLINECOUNT, 0, 0);
            EXPECT_GT(lines, 20);
            EXPECT_LT(lines, 200) << "the page is not cut short";
            SaveShot(viewer, "help_hostile_runs");
        }
        CloseMain(main);
        EXPECT_TRUE(gui::WaitGone(viewer, 10000)) << "the viewer outlived the program";
        EXPECT_TRUE(WaitViewerProcesses(0));
    }
}

}  // namespace
