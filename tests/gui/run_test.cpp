#include "zelbr_fixture.h"

#include <commctrl.h>

#include "../../res/resource.h"

using namespace zelbr;

namespace {

const char kRunCountCaption[] = "測定回数(ｱﾌﾟﾘｹｰｼｮﾝ ﾍﾞﾝﾁﾏｰｸ)";
const char kAbortNotice[] = "測定を中止します。";
const char kAbortedNotice[] = "測定を中止しました。";

// Flag bits: run-number message 0x02, start confirmation 0x04.
const BYTE kNoPrompts = 0x00;

// The priority of the thread that owns the window, as the scheduler holds it.
int UiThreadPriority(HWND window) {
    DWORD tid = GetWindowThreadProcessId(window, nullptr);
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, tid);
    if (!thread) return THREAD_PRIORITY_ERROR_RETURN;
    int priority = GetThreadPriority(thread);
    CloseHandle(thread);
    return priority;
}

}  // namespace

// One item, T1, whose test module behaves as told, started from its button.
class RunTest : public ZelbrTest {
protected:
    HWND StartOneItem(const char* behaviour, DWORD delayMs = 0) {
        AddModule("T1", behaviour, 1000, 1000, delayMs);
        AddCatalogue(0, "T1.BNC");
        Settings(1, kNoPrompts);
        HWND main = StartMain();
        if (!main || !gui::Click(main, IDC_ITEMBTN_FIRST + 1)) return nullptr;
        EXPECT_TRUE(WaitIconic(main));
        EXPECT_TRUE(gui::WaitFor([&] { return Launches("T1") == "0"; }, 10000));
        return main;
    }
    // T1 measured ten times with each further run announced: the first
    // announcement, once the first run has ended.
    HWND StartPreciseRun(HWND* main) {
        AddModule("T1");
        AddCatalogue(0, "T1.BNC");
        Settings(10, 0x02);
        *main = StartMain();
        if (!*main || !gui::Click(*main, IDC_ITEMBTN_FIRST + 1)) return nullptr;
        return WaitDialog(kRunCountCaption);
    }
    // A system command during the run: the abort notice it brings up.
    HWND AbortNotice(HWND main, WPARAM command) {
        gui::SysCommand(main, command);
        HWND box = gui::WaitMessageBox(program_.pid, 10000);
        if (box) {
            EXPECT_EQ(gui::MessageBoxText(box), kAbortNotice);
        }
        return box;
    }
};

TEST_F(ZelbrTest, FirstStartScanPlacesModulesOnSlots) {
    AddModule("T1");
    AddModule("T2");
    Start();
    ASSERT_FALSE(AnswerBox().empty()) << "first-start notice";
    HWND main = WaitMain();
    ASSERT_TRUE(main);
    EXPECT_TRUE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST));
    EXPECT_TRUE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 1));
    EXPECT_TRUE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 2));
    EXPECT_FALSE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 3));
    DWORD select = 0;
    EXPECT_TRUE(gui::RegReadDword(std::string(kRoot) + "\\Measure\\0001", "Select", &select));
    EXPECT_EQ(select, 1u);
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.bottom, 160 + 2 * 35);
    SaveShot(main, "main_two_items");
    CloseMain(main);
}

TEST_F(ZelbrTest, SingleItemSimpleRunAfterConfirmation) {
    AddModule("T1", "normal", 500, 1000);
    AddCatalogue(0, "T1.BNC");
    Settings(1, 0x07);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST + 1), "");

    ASSERT_TRUE(gui::Click(main, IDC_ITEMBTN_FIRST + 1));
    HWND confirm = WaitDialog("ZELBR");
    ASSERT_TRUE(confirm);
    std::string text = gui::ControlText(confirm, IDC_CONFIRM_TEXT);
    EXPECT_NE(text.find("※測定中はマウスやキーボードには、絶対に触らないでく\n  ださい。"), std::string::npos);
    EXPECT_NE(text.find("簡易測定モードで測定を開始します。よろしいですか？"), std::string::npos);
    SaveShot(confirm, "confirm_start");
    gui::Click(confirm, IDOK);

    ASSERT_TRUE(WaitRunEnded(main));
    EXPECT_EQ(Launches("T1"), "0");
    DWORD hwnd = 0;
    gui::RegReadDword(ModuleKey("T1"), "LastHwnd", &hwnd);
    EXPECT_EQ(hwnd, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(main)));
    EXPECT_TRUE(gui::WaitFor([&] { return gui::ControlText(main, IDC_NUMLED_FIRST + 1) == "20000"; }, 5000));
    EXPECT_EQ(gui::ControlText(main, IDC_LEVELLED_FIRST + 1), "20000");
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST), "20000");
    DWORD suspension = 9;
    EXPECT_TRUE(gui::RegReadDword(kIni, "Suspension", &suspension));
    EXPECT_EQ(suspension, 0u);
    CloseMain(main);
}

TEST_F(ZelbrTest, DecliningTheConfirmationStartsNothing) {
    AddModule("T1");
    AddCatalogue(0, "T1.BNC");
    Settings(10, 0x04);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ASSERT_TRUE(gui::Click(main, IDC_ITEMBTN_FIRST + 1));
    HWND confirm = WaitDialog("ZELBR");
    ASSERT_TRUE(confirm);
    EXPECT_NE(gui::ControlText(confirm, IDC_CONFIRM_TEXT).find("精密測定モードで測定を開始します。よろしいですか？"),
              std::string::npos)
        << "the dialog names the stored run count";
    gui::PressKey(confirm, VK_ESCAPE);
    EXPECT_TRUE(gui::WaitGone(confirm));
    Sleep(300);
    EXPECT_TRUE(Value(kIni, "Count").empty());
    EXPECT_TRUE(Value(kIni, "hWnd").empty());
    EXPECT_EQ(Launches("T1"), "");
    CloseMain(main);
}

TEST_F(ZelbrTest, PreciseRunAnnouncesEachFurtherRun) {
    AddModule("T1", "normal", 1000, 1000);
    AddCatalogue(0, "T1.BNC");
    Settings(10, 0x02);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ASSERT_TRUE(gui::Click(main, IDC_ITEMBTN_FIRST + 1));
    for (int run = 2; run <= 10; ++run) {
        HWND dlg = WaitDialog(kRunCountCaption);
        ASSERT_TRUE(dlg) << "run " << run;
        EXPECT_EQ(gui::ControlText(dlg, IDC_RUN_TEXT),
                  "T1.MCR の 10 回中 " + std::to_string(run) + " 回目\nの測定を開始します。");
        DWORD_PTR pos = 0;
        SendMessageTimeoutA(GetDlgItem(dlg, IDC_RUN_PROGRESS), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &pos);
        EXPECT_EQ(pos, static_cast<DWORD_PTR>(run - 1));
        if (run == 2) SaveShot(dlg, "run_progress");
        gui::Click(dlg, IDOK);
        ASSERT_TRUE(gui::WaitGone(dlg));
    }
    ASSERT_TRUE(WaitRestored(main));
    EXPECT_EQ(Launches("T1"), "0,1,2,3,4,5,6,7,8,9");
    EXPECT_TRUE(gui::WaitFor([&] { return gui::ControlText(main, IDC_NUMLED_FIRST + 1) == "10000"; }, 5000));
    CloseMain(main);
}

TEST_F(RunTest, StoppingFromTheProgressDialogEndsTheMeasurement) {
    HWND main = nullptr;
    HWND dlg = StartPreciseRun(&main);
    ASSERT_TRUE(dlg);
    gui::Click(dlg, IDCANCEL);
    EXPECT_EQ(AnswerBox(), kAbortNotice);
    ASSERT_TRUE(WaitRestored(main));
    EXPECT_EQ(Launches("T1"), "0");
    DWORD count = 99;
    gui::RegReadDword(kIni, "Count", &count);
    EXPECT_EQ(count, 0u);
    // One run is too few for precise mode: no score.
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST + 1), "");
    CloseMain(main);
}

TEST_F(RunTest, AbortWhileAnnouncingTheNextRunStillBringsTheWindowBack) {
    HWND main = nullptr;
    HWND dlg = StartPreciseRun(&main);
    ASSERT_TRUE(dlg);
    gui::SysCommand(main, SC_RESTORE);
    EXPECT_EQ(AnswerBox(), kAbortNotice);
    if (IsWindow(dlg)) gui::Click(dlg, IDOK);
    ASSERT_TRUE(WaitRestored(main));
    Sleep(500);
    EXPECT_EQ(Launches("T1"), "0") << "no run may start after the abort";
    EXPECT_EQ(GetPriorityClass(program_.process), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    CloseMain(main);
}

TEST_F(RunTest, SystemCommandDuringRunAbortsAndWaitsForTheModule) {
    HWND main = StartOneItem("wait", 20000);
    ASSERT_TRUE(main);
    HWND box = AbortNotice(main, SC_RESTORE);
    ASSERT_TRUE(box);
    EXPECT_TRUE(IsIconic(main)) << "the command itself is not carried out";
    gui::Answer(box, IDOK);
    ASSERT_TRUE(gui::WaitGone(box));
    // The module sees "Suspension", ends early and reports it.
    EXPECT_EQ(AnswerBox(), kAbortedNotice);
    ASSERT_TRUE(WaitRestored(main));
    DWORD suspension = 0;
    gui::RegReadDword(kIni, "Suspension", &suspension);
    EXPECT_EQ(suspension, 1u);
    EXPECT_EQ(GetPriorityClass(program_.process), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    CloseMain(main);
}

TEST_F(ZelbrTest, AllItemsSkipsMissingModuleAndReportsItTwice) {
    AddModule("T1", "normal", 100, 100);
    AddModule("T3", "normal", 300, 300);
    AddCatalogue(0, "T1.BNC");
    AddCatalogue(1, "T2.BNC");
    AddCatalogue(2, "T3.BNC");
    Settings(1, kNoPrompts);
    Start();
    // The missing module is reported while the slots are filled.
    std::string text = AnswerBox();
    EXPECT_NE(text.find("T2.BNC"), std::string::npos);
    EXPECT_EQ(AnswerBox(), text) << "and again for the overall score";
    HWND main = WaitMain();
    ASSERT_TRUE(main);
    ASSERT_TRUE(gui::Click(main, IDC_ITEMBTN_FIRST));
    EXPECT_EQ(AnswerBox(IDOK, 20000), text) << "during the pass";
    EXPECT_EQ(AnswerBox(IDOK, 20000), text) << "at the end, for the overall score";
    ASSERT_TRUE(WaitRestored(main));
    EXPECT_EQ(Launches("T1"), "0");
    EXPECT_EQ(Launches("T3"), "0");
    EXPECT_TRUE(gui::WaitFor([&] { return gui::ControlText(main, IDC_NUMLED_FIRST) == "10000"; }, 5000));
    CloseMain(main);
}

TEST_F(ZelbrTest, AllItemsWithEveryModuleGoneSaysThereIsNothing) {
    AddModule("T1");
    AddCatalogue(0, "T1.BNC");
    Settings(1, kNoPrompts);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ASSERT_TRUE(DeleteFileA((dir_ + "T1.BNC").c_str()));
    ASSERT_TRUE(gui::Click(main, IDC_ITEMBTN_FIRST));
    EXPECT_NE(AnswerBox().find("T1.BNC"), std::string::npos);
    EXPECT_EQ(AnswerBox(), "測定項目がありません。");
    EXPECT_FALSE(IsIconic(main));
    CloseMain(main);
}

TEST_F(ZelbrTest, TwelveSelectedItemsFillTenSlots) {
    for (int i = 1; i <= 12; ++i) {
        char base[8];
        snprintf(base, sizeof base, "T%02d", i);
        AddModule(base);
        AddCatalogue(i - 1, std::string(base) + ".BNC");
    }
    AddCatalogue(12, "T01.BNC", 0);
    MarkNotFirstStart();
    HWND main = StartMain();
    ASSERT_TRUE(main);
    for (int slot = 0; slot < 10; ++slot) EXPECT_TRUE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 1 + slot));
    EXPECT_TRUE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST));
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.bottom, 510);
    CloseMain(main);
}

TEST_F(ZelbrTest, ModuleThatDiesWithoutReportingIsDetected) {
    AddModule("T1", "crash");
    AddCatalogue(0, "T1.BNC");
    Settings(1, kNoPrompts);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ASSERT_TRUE(gui::Click(main, IDC_ITEMBTN_FIRST + 1));
    std::string text = AnswerBox(IDOK, 20000);
    EXPECT_NE(text.find("T1.BNC"), std::string::npos) << text;
    EXPECT_NE(text.find("測定を中止しました。"), std::string::npos) << text;
    ASSERT_TRUE(WaitRestored(main));
    CloseMain(main);
}

TEST_F(RunTest, ModuleThatNeverReportsCanStillBeAborted) {
    HWND main = StartOneItem("never");
    ASSERT_TRUE(main);
    gui::SysCommand(main, SC_CLOSE);
    EXPECT_EQ(AnswerBox(), kAbortNotice);
    // The module leaves on "Suspension" without its end message.
    std::string text = AnswerBox(IDOK, 20000);
    EXPECT_NE(text.find("T1.BNC"), std::string::npos) << text;
    ASSERT_TRUE(WaitRestored(main));
    EXPECT_TRUE(IsWindow(main)) << "the close command was not carried out";
    CloseMain(main);
}

TEST_F(ZelbrTest, ModuleThatCannotStartIsReported) {
    // Not an executable: process creation fails.
    HANDLE f = CreateFileA((dir_ + "BAD.BNC").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n;
    WriteFile(f, "not a program", 13, &n, nullptr);
    CloseHandle(f);
    AddCatalogue(0, "BAD.BNC");
    Settings(1, kNoPrompts);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ASSERT_TRUE(gui::Click(main, IDC_ITEMBTN_FIRST + 1));
    std::string text = AnswerBox(IDOK, 20000);
    EXPECT_NE(text.find("を起動できませんでした。"), std::string::npos) << text;
    ASSERT_TRUE(WaitRestored(main));
    CloseMain(main);
}

TEST_F(ZelbrTest, SecondEndMessageFromTheSameRunIsIgnored) {
    AddModule("T1", "twice", 1000, 1000);
    AddCatalogue(0, "T1.BNC");
    Settings(10, kNoPrompts);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ASSERT_TRUE(gui::Click(main, IDC_ITEMBTN_FIRST + 1));
    ASSERT_TRUE(WaitRunEnded(main, 60000));
    EXPECT_EQ(Launches("T1"), "0,1,2,3,4,5,6,7,8,9");
    EXPECT_FALSE(gui::WaitMessageBox(program_.pid, 1500)) << "a stale end message showed a notice";
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST + 1), "10000");
    CloseMain(main);
}

TEST_F(ZelbrTest, MalformedRecordGivesNoScore) {
    AddModule("T1", "malformed");
    AddModule("T2", "badsum");
    AddCatalogue(0, "T1.BNC");
    AddCatalogue(1, "T2.BNC");
    Settings(1, kNoPrompts);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ASSERT_TRUE(gui::Click(main, IDC_ITEMBTN_FIRST));
    ASSERT_TRUE(WaitRunEnded(main));
    EXPECT_EQ(Launches("T1"), "0");
    EXPECT_EQ(Launches("T2"), "0");
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST + 1), "");
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST + 2), "");
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST), "");
    CloseMain(main);
}

TEST_F(ZelbrTest, PrecisionSwitchReratesStoredRecords) {
    AddModule("T1");
    AddCatalogue(0, "T1.BNC");
    Settings(1, kNoPrompts);
    // Ten runs stored: 2000 first, then 1000s; reference 1000.
    uint32_t rec[14] = {10, 1000, 2000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 11000, 0};
    rec[13] = 10 + 1000 + 11000 + 11000;
    gui::RegWriteBinary(std::string(kRoot) + "\\Bench\\T1", "Result", Bytes(rec, sizeof rec));
    HWND main = StartMain();
    ASSERT_TRUE(main);
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST + 1), "5000");

    ASSERT_TRUE(gui::Click(main, IDC_SELLEVEL));
    HWND dlg = WaitDialog("測定精度の選択");
    ASSERT_TRUE(dlg);
    EXPECT_EQ(gui::CheckState(dlg, IDC_PREC_SIMPLE), BST_CHECKED);
    SaveShot(dlg, "precision");
    gui::Click(dlg, IDC_PREC_PRECISE);
    gui::WaitFor([&] { return gui::CheckState(dlg, IDC_PREC_PRECISE) == BST_CHECKED; }, 3000);
    gui::Click(dlg, IDOK);
    ASSERT_TRUE(gui::WaitGone(dlg));
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST + 1), "9090");
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST), "9090");
    DWORD precision = 0;
    gui::RegReadDword(kIni, "Precision", &precision);
    EXPECT_EQ(precision, 10u);

    // OK without a change writes nothing.
    gui::RegWriteDword(kIni, "Precision", 77);
    ASSERT_TRUE(gui::Click(main, IDC_SELLEVEL));
    dlg = WaitDialog("測定精度の選択");
    ASSERT_TRUE(dlg);
    EXPECT_EQ(gui::CheckState(dlg, IDC_PREC_PRECISE), BST_CHECKED);
    gui::Click(dlg, IDOK);
    ASSERT_TRUE(gui::WaitGone(dlg));
    gui::RegReadDword(kIni, "Precision", &precision);
    EXPECT_EQ(precision, 77u);
    CloseMain(main);
}

TEST_F(RunTest, ProgressDialogLeftAloneClosesItselfAndTheRunsGoOn) {
    HWND main = nullptr;
    HWND dlg = StartPreciseRun(&main);
    ASSERT_TRUE(dlg);
    EXPECT_TRUE(gui::WaitGone(dlg, 8000)) << "the announcement did not close by itself";
    EXPECT_TRUE(gui::WaitFor([&] { return Launches("T1") == "0,1"; }, 10000)) << Launches("T1");
    for (int run = 3; run <= 10; ++run) {
        dlg = WaitDialog(kRunCountCaption);
        ASSERT_TRUE(dlg) << "run " << run;
        gui::Click(dlg, IDOK);
        ASSERT_TRUE(gui::WaitGone(dlg));
    }
    ASSERT_TRUE(WaitRestored(main));
    EXPECT_EQ(Launches("T1"), "0,1,2,3,4,5,6,7,8,9");
    CloseMain(main);
}

TEST_F(ZelbrTest, WindowComesBackWhileAModuleLingersAndKeepsAnswering) {
    AddModule("T1", "linger", 1000, 1000, 4000);
    AddCatalogue(0, "T1.BNC");
    Settings(1, kNoPrompts);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ASSERT_TRUE(gui::Click(main, IDC_ITEMBTN_FIRST + 1));
    ASSERT_TRUE(WaitRunEnded(main));
    auto gone = [&] {
        std::string timeline;
        gui::RegReadString(ModuleKey("T1"), "Timeline", &timeline);
        return timeline.find("X:") != std::string::npos;
    };
    EXPECT_FALSE(gone()) << "the window waited for the module to exit";
    DWORD_PTR ignored;
    EXPECT_TRUE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored));
    EXPECT_FALSE(gone());
    EXPECT_TRUE(gui::WaitFor([&] { return gui::ControlText(main, IDC_NUMLED_FIRST + 1) == "10000"; }, 5000));
    EXPECT_TRUE(gui::WaitFor(gone, 10000));
    EXPECT_FALSE(gui::WaitMessageBox(program_.pid, 1000)) << "nothing it did afterwards counts";
    CloseMain(main);
}

TEST_F(ZelbrTest, FloodOfEndMessagesShowsOneNoticeAndTheProgramGoesOn) {
    MarkNotFirstStart();  // "Count" was never written
    HWND main = StartMain();
    ASSERT_TRUE(main);
    for (int i = 0; i < 2000; ++i) PostMessageA(main, 0x500, 0, 0);
    EXPECT_EQ(AnswerBox(), kAbortedNotice);
    EXPECT_FALSE(gui::WaitMessageBox(program_.pid, 1500)) << "the others are absorbed";
    EXPECT_EQ(WaitForSingleObject(program_.process, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the program ended";
    CloseMain(main);
}

TEST_F(RunTest, AbortAnsweredAfterTheModuleCompletedLeavesNormalPriority) {
    HWND main = StartOneItem("wait", 1500);
    ASSERT_TRUE(main);
    HWND box = AbortNotice(main, SC_RESTORE);
    ASSERT_TRUE(box);
    // The module finishes its run while the notice waits for an answer.
    ASSERT_TRUE(gui::WaitFor([&] { return !Value((std::string(kRoot) + "\\Bench\\T1").c_str(), "Result").empty(); },
                             10000));
    Sleep(1000);
    gui::Answer(box, IDOK);
    ASSERT_TRUE(gui::WaitGone(box));
    EXPECT_EQ(AnswerBox(), kAbortedNotice);
    ASSERT_TRUE(WaitRestored(main));
    EXPECT_EQ(GetPriorityClass(program_.process), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    DWORD suspension = 9;
    gui::RegReadDword(kIni, "Suspension", &suspension);
    EXPECT_EQ(suspension, 0u);
    CloseMain(main);
}

TEST_F(RunTest, ModuleDeafToAnAbortIsEndedWithTheApplicationItStarted) {
    HWND main = StartOneItem("deaf");
    ASSERT_TRUE(main);
    DWORD child = 0;
    ASSERT_TRUE(gui::WaitFor([&] { return gui::RegReadDword(ModuleKey("T1"), "ChildPid", &child); }, 15000));
    HANDLE childProcess = OpenProcess(SYNCHRONIZE, FALSE, child);
    ASSERT_TRUE(childProcess);
    gui::SysCommand(main, SC_CLOSE);
    EXPECT_EQ(AnswerBox(), kAbortNotice);
    // Waiting for a module that ignores the request, the program stays out
    // of its way.
    EXPECT_TRUE(gui::WaitFor([&] { return GetPriorityClass(program_.process) == IDLE_PRIORITY_CLASS; }, 3000));
    EXPECT_EQ(UiThreadPriority(main), THREAD_PRIORITY_IDLE);
    EXPECT_TRUE(IsIconic(main));
    // Meanwhile a system command is a command again: restore from the task bar.
    gui::SysCommand(main, SC_RESTORE);
    EXPECT_TRUE(WaitRestored(main, 5000)) << "restore while waiting for the module";
    EXPECT_EQ(GetPriorityClass(program_.process), static_cast<DWORD>(IDLE_PRIORITY_CLASS));
    HWND box = gui::WaitMessageBox(program_.pid, 30000);
    ASSERT_TRUE(box);
    std::string text = gui::MessageBoxText(box);
    EXPECT_NE(text.find("起動したアプリケーションとともに終了させました。"), std::string::npos) << text;
    SaveShot(box, "module_ended");
    gui::Answer(box, IDOK);
    EXPECT_TRUE(gui::WaitFor([&] { return !IsWindow(box); }, 5000));
    ASSERT_TRUE(WaitRestored(main));
    EXPECT_EQ(WaitForSingleObject(childProcess, 5000), static_cast<DWORD>(WAIT_OBJECT_0))
        << "the application it started still runs";
    CloseHandle(childProcess);
    EXPECT_EQ(GetPriorityClass(program_.process), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(UiThreadPriority(main), THREAD_PRIORITY_NORMAL);
    CloseMain(main);
}

namespace {
// Where the display says the pointer is, past Wine's 100 ms of trusting the
// position it was last told.
POINT PointerNow() {
    Sleep(150);
    POINT p{-1, -1};
    GetCursorPos(&p);
    return p;
}
bool PointerAt(int x, int y) {
    POINT p = PointerNow();
    return p.x == x && p.y == y;
}
}  // namespace

TEST_F(ZelbrTest, CursorIsParkedDuringTheRunAndPutBackAfterwards) {
    GetDesktopWindow();  // the display exists before the pointer is moved
    if (!SetCursorPos(123, 234) || !PointerAt(123, 234)) {
        POINT p = PointerNow();
        GTEST_SKIP() << "this display does not let the test process move the pointer and read it back (set 123,234, "
                     << "read " << p.x << "," << p.y << ")";
    }
    AddModule("T1", "wait", 1000, 1000, 1500);
    AddModule("T2");
    AddCatalogue(0, "T1.BNC");
    AddCatalogue(1, "T2.BNC");
    Settings(1, 0x04);  // start confirmation only
    HWND main = StartMain();
    ASSERT_TRUE(main);
    const int right = GetSystemMetrics(SM_CXSCREEN) - 1, bottom = GetSystemMetrics(SM_CYSCREEN) - 1;

    // One item, confirmed.
    ASSERT_TRUE(SetCursorPos(123, 234));
    ASSERT_TRUE(PointerAt(123, 234));
    ASSERT_TRUE(gui::Click(main, IDC_ITEMBTN_FIRST + 1));
    HWND confirm = WaitDialog("ZELBR");
    ASSERT_TRUE(confirm);
    gui::Click(confirm, IDOK);
    ASSERT_TRUE(WaitIconic(main));
    EXPECT_TRUE(gui::WaitFor([&] { return PointerAt(right, bottom); }, 1000)) << "parked while the module runs";
    ASSERT_TRUE(WaitRestored(main));
    POINT after = PointerNow();
    EXPECT_EQ(after.x, 123);
    EXPECT_EQ(after.y, 234);

    // All items: two modules one after the other, then back again.
    ASSERT_TRUE(SetCursorPos(321, 111));
    ASSERT_TRUE(PointerAt(321, 111));
    ASSERT_TRUE(gui::Click(main, IDC_ITEMBTN_FIRST));
    confirm = WaitDialog("ZELBR");
    ASSERT_TRUE(confirm);
    gui::Click(confirm, IDOK);
    ASSERT_TRUE(WaitIconic(main));
    ASSERT_TRUE(gui::WaitFor([&] { return Launches("T2") == "0"; }, 15000));
    ASSERT_TRUE(WaitRestored(main));
    after = PointerNow();
    EXPECT_EQ(after.x, 321);
    EXPECT_EQ(after.y, 111);
    CloseMain(main);
}

namespace {
// A window of the test's own, over part of the screen, that takes its mouse
// input as any program would.
struct Backdrop {
    HWND hwnd = nullptr;
    explicit Backdrop(const RECT& r) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZelbrTestBackdrop";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, wc.lpszClassName, "backdrop", WS_POPUP | WS_VISIBLE, r.left, r.top,
                               r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
        Pump(200);
    }
    ~Backdrop() {
        if (hwnd) DestroyWindow(hwnd);
    }
    static void Pump(DWORD ms) {
        DWORD start = GetTickCount();
        do {
            MSG m;
            while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
            Sleep(5);
        } while (GetTickCount() - start < ms);
    }
};
}  // namespace

// Another program's window lies under the saved position: when the main
// window goes down the pointer enters it, and that program tells the window
// system the pointer is there, after the pointer has been parked. The
// restore must not be taken for a move to where the pointer already is.
TEST_F(ZelbrTest, CursorGoesBackWhenAnotherWindowLiesUnderItsPlace) {
    GetDesktopWindow();
    if (!SetCursorPos(50, 50) || !PointerAt(50, 50))
        GTEST_SKIP() << "this display does not let the test process move the pointer and read it back";
    AddModule("T1", "wait", 1000, 1000, 1500);
    AddCatalogue(0, "T1.BNC");
    Settings(1, 0x00);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    RECT r;
    GetWindowRect(main, &r);
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    // Below the main window, clear of the parking pixel.
    RECT under{r.left, r.top, r.right, r.bottom};
    Backdrop backdrop(under);
    SetWindowPos(backdrop.hwnd, main, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Backdrop::Pump(200);
    ASSERT_TRUE(SetCursorPos(x, y));
    Backdrop::Pump(200);
    ASSERT_TRUE(gui::Click(main, IDC_ITEMBTN_FIRST + 1));
    DWORD start = GetTickCount();
    while (!IsIconic(main) && GetTickCount() - start < 10000) Backdrop::Pump(10);
    ASSERT_TRUE(IsIconic(main));
    start = GetTickCount();
    while (IsIconic(main) && GetTickCount() - start < 30000) Backdrop::Pump(10);
    ASSERT_FALSE(IsIconic(main));
    Backdrop::Pump(300);
    POINT after = PointerNow();
    EXPECT_EQ(after.x, x);
    EXPECT_EQ(after.y, y);
    CloseMain(main);
}

// The announcement puts the pointer on its OK button, where a user would
// look; OK parks it again for the next run, "測定中止" leaves it there until
// the measurement ends and the pointer goes back.
TEST_F(RunTest, AnnouncementTakesThePointerToItsOkAndParksItOnOk) {
    GetDesktopWindow();
    if (!SetCursorPos(200, 100) || !PointerAt(200, 100))
        GTEST_SKIP() << "this display does not let the test process move the pointer and read it back";
    const int right = GetSystemMetrics(SM_CXSCREEN) - 1, bottom = GetSystemMetrics(SM_CYSCREEN) - 1;
    // Each run takes long enough to see the pointer parked.
    AddModule("T1", "wait", 1000, 1000, 1500);
    AddCatalogue(0, "T1.BNC");
    Settings(10, 0x02);
    HWND main = StartMain();
    ASSERT_TRUE(main && gui::Click(main, IDC_ITEMBTN_FIRST + 1));
    HWND dlg = WaitDialog(kRunCountCaption);
    ASSERT_TRUE(dlg);
    auto okCentre = [](HWND d) {
        RECT r{};
        GetWindowRect(GetDlgItem(d, IDOK), &r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    };
    POINT ok{};
    EXPECT_TRUE(gui::WaitFor([&] {
        ok = okCentre(dlg);
        return PointerAt(ok.x, ok.y);
    }, 2000)) << "the pointer is not on OK";
    gui::Click(dlg, IDOK);
    ASSERT_TRUE(gui::WaitGone(dlg));
    EXPECT_TRUE(PointerAt(right, bottom)) << "OK parks the pointer for the next run";

    dlg = WaitDialog(kRunCountCaption);
    ASSERT_TRUE(dlg);
    ASSERT_TRUE(gui::WaitFor([&] {
        ok = okCentre(dlg);
        return PointerAt(ok.x, ok.y);
    }, 2000)) << "the pointer is not on OK: " << PointerNow().x << "," << PointerNow().y << " for " << ok.x << ","
              << ok.y << (IsWindowVisible(dlg) ? "" : ", the dialog has gone");
    gui::Click(dlg, IDCANCEL);
    HWND box = gui::WaitMessageBox(program_.pid, 10000);
    ASSERT_TRUE(box);
    EXPECT_EQ(gui::MessageBoxText(box), kAbortNotice);
    EXPECT_TRUE(PointerAt(ok.x, ok.y)) << "stopping does not move the pointer";
    gui::Answer(box, IDOK);
    ASSERT_TRUE(WaitRestored(main));
    EXPECT_TRUE(gui::WaitFor([&] { return PointerAt(200, 100); }, 2000)) << "back where it was";
    CloseMain(main);
}
