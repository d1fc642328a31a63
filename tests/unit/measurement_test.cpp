// The measurement driven event by event against a host that records what it
// is asked, in order; the registry is a scratch key, the program directory a
// temporary one. No window and no clock.
#include "run/measurement.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "run/rundialogs.h"
#include "scratch_key.h"
#include "temp_dir.h"

using run::Measurement;
using run::ModuleState;
using State = run::Measurement::State;

namespace {

const char kAborting[] = "notice:測定を中止します。";
const char kAborted[] = "notice:測定を中止しました。";
HWND const kWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x4242));

class RecordingHost : public run::RunHost {
public:
    explicit RecordingHost(HKEY root) : m_root(root) {}

    std::vector<std::string> calls;
    // Answers and hooks; a hook runs inside the interaction, as a message
    // dispatched by a modal loop would.
    bool confirm = true;
    bool goOn = true;
    bool startable = true;
    std::function<void(const std::string&)> duringNotice;
    std::function<void()> duringAnnounce;
    ModuleState module = ModuleState::kNone;
    bool endQueued = false;
    DWORD now = 100000;
    UINT watchdog = 0;
    std::string priority = "normal";

    void Minimise() override { calls.push_back("minimise"); }
    void Restore() override { calls.push_back("restore"); }
    void SaveCursor() override { calls.push_back("save-cursor"); }
    void ParkCursor() override { calls.push_back("park"); }
    void RestoreCursor() override { calls.push_back("restore-cursor"); }
    void IdlePriority() override {
        calls.push_back("idle");
        priority = "idle";
    }
    void NormalPriority() override {
        calls.push_back("normal");
        priority = "normal";
    }
    void RefreshScores() override { calls.push_back("refresh"); }
    void Quit() override { calls.push_back("quit"); }
    void Notice(const std::string& text, UINT type) override {
        calls.push_back("notice:" + text);
        types.push_back(type);
        if (duringNotice) duringNotice(text);
    }
    bool ConfirmStart(int runCount) override {
        calls.push_back("confirm:" + std::to_string(runCount));
        return confirm;
    }
    bool AnnounceRun(const std::string& item, int total, int runNumber) override {
        calls.push_back("announce:" + item + " " + std::to_string(total) + " " + std::to_string(runNumber));
        if (duringAnnounce) duringAnnounce();
        return goOn;
    }
    void ShowMissingFile(const std::string& file) override { calls.push_back("missing:" + file); }
    // Records the module's file name and the "Count" it would read.
    bool StartModule(const std::string& path) override {
        DWORD count = 99, suspension = 99;
        RegKey k;
        if (k.Open(m_root, "Ini\\zelBr")) {
            k.ReadDword("Count", &count);
            k.ReadDword("Suspension", &suspension);
        }
        suspensions.push_back(suspension);
        std::string file = path.substr(path.rfind('\\') + 1);
        calls.push_back("start:" + file + "@" + std::to_string(count));
        if (!startable) return false;
        module = ModuleState::kRunning;
        return true;
    }
    ModuleState PollModule() override { return module; }
    void EndModule() override {
        calls.push_back("end-module");
        module = ModuleState::kExited;
    }
    void ReleaseModule() override { module = ModuleState::kNone; }
    bool EndMessageQueued() override { return endQueued; }
    void DropQueuedEndMessages() override { calls.push_back("drop"); }
    void SetWatchdog(UINT ms) override { watchdog = ms; }
    DWORD Now() override { return now; }

    std::vector<UINT> types;
    std::vector<DWORD> suspensions;  // "Suspension" as each module would read it at its start

    // Only the calls of one kind, e.g. every "start:".
    std::vector<std::string> Only(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& c : calls)
            if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
        return out;
    }
    size_t Count(const std::string& call) const {
        size_t n = 0;
        for (const std::string& c : calls) n += c == call;
        return n;
    }

private:
    HKEY m_root;
};

class MeasurementTest : public ::testing::Test {
protected:
    MeasurementTest() : host(scratch.root()) {
        options.confirmStart = false;
        options.runNumberMessage = false;
    }

    Measurement& M() {
        if (!m_measurement)
            m_measurement = std::make_unique<Measurement>(host, scratch.root(), dir.path, options, kWindow);
        return *m_measurement;
    }
    void Catalogue(int index, const std::string& file, DWORD select = 1, bool present = true) {
        char key[32];
        snprintf(key, sizeof key, "Measure\\%04d", index);
        RegKey k = scratch.Sub(key);
        k.WriteText("File", file);
        k.WriteDword("Select", select);
        if (present) dir.Write(file);
    }
    DWORD Ini(const char* name, DWORD missing = 0xDEAD) {
        RegKey k;
        DWORD v = missing;
        if (k.Open(scratch.root(), "Ini\\zelBr")) k.ReadDword(name, &v);
        return v;
    }
    // The module of the current run posts its end and then exits.
    void Complete(WPARAM wp = 0) {
        M().OnEndBnc(wp);
        Exit();
    }
    void Exit() {
        if (host.module == ModuleState::kRunning) host.module = ModuleState::kExited;
        M().OnWatchdog();
    }
    std::vector<std::string> Starts() const { return host.Only("start:"); }

    ScratchKey scratch;
    TempDir dir;
    settings::Options options;
    RecordingHost host;

private:
    std::unique_ptr<Measurement> m_measurement;
};

std::vector<std::string> Runs(const std::string& file, std::initializer_list<int> counts) {
    std::vector<std::string> out;
    for (int c : counts) out.push_back("start:" + file + "@" + std::to_string(c));
    return out;
}

}  // namespace

// --- starting --------------------------------------------------------------

TEST_F(MeasurementTest, SingleItemStartsWithHandOverAndParksTheWindow) {
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    std::vector<std::string> expected{"save-cursor", "minimise", "park", "start:T1.BNC@0"};
    EXPECT_EQ(host.calls, expected);
    EXPECT_EQ(Ini("Count"), 0u);
    EXPECT_EQ(Ini("hWnd"), 0x4242u);
    EXPECT_EQ(Ini("Suspension"), 0u);
    EXPECT_EQ(M().state(), State::kRunning);
    EXPECT_TRUE(M().IsRunning());
    EXPECT_EQ(host.watchdog, Measurement::kWatchPeriodMs);

    host.calls.clear();
    Complete();
    expected = {"refresh", "restore", "restore-cursor", "drop"};
    EXPECT_EQ(host.calls, expected);
    EXPECT_EQ(M().state(), State::kIdle);
    EXPECT_EQ(host.watchdog, 0u) << "nothing left to watch";
}

TEST_F(MeasurementTest, ConfirmationGatesTheStartAndNamesTheRunCount) {
    options.confirmStart = true;
    options.runCount = 10;
    host.confirm = false;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    EXPECT_EQ(host.calls, std::vector<std::string>{"confirm:10"});
    EXPECT_EQ(Ini("Count"), 0xDEADu) << "declining writes nothing";
    EXPECT_EQ(Ini("hWnd"), 0xDEADu);
    // Every button kind asks first.
    M().PushItemBtn(run::kEmptyButton, "");
    EXPECT_EQ(host.Count("confirm:10"), 2u);
    EXPECT_TRUE(host.Only("notice:").empty());

    host.confirm = true;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    EXPECT_EQ(Starts(), Runs("T1.BNC", {0}));
}

TEST_F(MeasurementTest, ConfirmationTextNamesTheMode) {
    EXPECT_NE(ConfirmStartText(1).find("\n\n簡易測定モードで測定を開始します。よろしいですか？"), std::string::npos);
    EXPECT_NE(ConfirmStartText(10).find("\n\n精密測定モードで測定を開始します。よろしいですか？"), std::string::npos);
    EXPECT_NE(ConfirmStartText(5).find("精密測定モード"), std::string::npos);
    EXPECT_EQ(RunProgressText("X.MCR", 10, 2), "X.MCR の 10 回中 2 回目\nの測定を開始します。");
}

TEST_F(MeasurementTest, ButtonsWithNothingToRunSaySo) {
    M().PushItemBtn(run::kEmptyButton, "");
    M().PushItemBtn(run::kAllItemsButton, "");  // empty catalogue
    std::vector<std::string> expected{"notice:測定項目が選択されていません。", "notice:測定項目がありません。"};
    EXPECT_EQ(host.calls, expected);
    // An item button without a file starts nothing and says nothing.
    M().PushItemBtn(run::kItemButton, "");
    EXPECT_EQ(host.calls, expected);
    EXPECT_EQ(M().state(), State::kIdle);
}

TEST_F(MeasurementTest, ModuleThatCannotStartEndsTheMeasurement) {
    host.startable = false;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    ASSERT_EQ(host.Only("notice:").size(), 1u);
    EXPECT_NE(host.Only("notice:")[0].find("T1.BNC\nを起動できませんでした。"), std::string::npos);
    EXPECT_EQ(host.calls.back(), "restore-cursor");
    EXPECT_EQ(M().state(), State::kIdle);
    // Names that reach outside the program directory are never started.
    host.calls.clear();
    host.startable = true;
    M().PushItemBtn(run::kItemButton, "..\\T1.MCR");
    EXPECT_TRUE(Starts().empty());
    EXPECT_EQ(M().state(), State::kIdle);
}

TEST_F(MeasurementTest, ButtonsDoNothingWhileAMeasurementIsUnderWay) {
    options.runCount = 10;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    M().PushItemBtn(run::kItemButton, "T2.MCR");
    M().AbortRun();
    // Restored from the task bar meanwhile, the window's buttons can be pressed.
    M().PushItemBtn(run::kAllItemsButton, "");
    EXPECT_EQ(Starts(), Runs("T1.BNC", {0}));
    EXPECT_EQ(Ini("Count"), 0u);
    EXPECT_EQ(M().CurrentItem(), "T1.MCR");
}

// --- repetition ----------------------------------------------------------------

TEST_F(MeasurementTest, PreciseSingleItemRunsTenTimesAnnouncingEachFurtherRun) {
    options.runCount = 10;
    options.runNumberMessage = true;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    for (int i = 0; i < 10; ++i) Complete();
    EXPECT_EQ(Starts(), Runs("T1.BNC", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    std::vector<std::string> announced;
    for (int run = 2; run <= 10; ++run) announced.push_back("announce:T1.MCR 10 " + std::to_string(run));
    EXPECT_EQ(host.Only("announce:"), announced);
    EXPECT_EQ(host.Count("refresh"), 1u) << "scores only at the end";
    EXPECT_EQ(host.Count("restore"), 1u);
    EXPECT_EQ(M().state(), State::kIdle);
    EXPECT_EQ(Ini("Count"), 9u);
}

TEST_F(MeasurementTest, AnnouncementOnlyInPreciseModeWithItsOption) {
    options.runCount = 10;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    for (int i = 0; i < 10; ++i) Complete();
    EXPECT_EQ(Starts().size(), 10u);
    EXPECT_TRUE(host.Only("announce:").empty()) << "option off";

    options.runCount = 1;
    options.runNumberMessage = true;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    Complete();
    EXPECT_TRUE(host.Only("announce:").empty()) << "simple mode";
    EXPECT_EQ(Starts().size(), 11u);
}

TEST_F(MeasurementTest, StoppingFromTheAnnouncementEndsWithoutAnotherRun) {
    options.runCount = 10;
    options.runNumberMessage = true;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    host.goOn = false;
    Complete();
    EXPECT_EQ(Starts(), Runs("T1.BNC", {0}));
    std::vector<std::string> tail(host.calls.end() - 6, host.calls.end());
    std::vector<std::string> expected{"announce:T1.MCR 10 2", kAborting, "refresh", "restore", "restore-cursor",
                                      "drop"};
    EXPECT_EQ(tail, expected);
    EXPECT_EQ(Ini("Count"), 0u) << "nothing further stored";
}

TEST_F(MeasurementTest, EarlyEndFinishesWithTheResultsAsTheyStand) {
    for (WPARAM wp : {WPARAM(1), WPARAM(2)}) {
        options.runCount = 10;
        host.calls.clear();
        M().PushItemBtn(run::kItemButton, "T1.MCR");
        Complete(wp);
        EXPECT_EQ(Starts(), Runs("T1.BNC", {0})) << "wParam " << wp;
        EXPECT_EQ(host.Count(kAborted), 1u);
        EXPECT_EQ(host.types.back() & MB_SYSTEMMODAL, static_cast<UINT>(MB_SYSTEMMODAL));
        EXPECT_EQ(host.Count("normal"), 0u) << "priorities were never lowered";
        EXPECT_EQ(host.Count("restore"), 1u);
        EXPECT_EQ(M().state(), State::kIdle);
    }
}

TEST_F(MeasurementTest, ModuleThatRewritesCountCannotSteerTheMeasurement) {
    options.runCount = 10;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    Complete();
    // The second run's module writes "Count" = 0 back: it would restart forever.
    scratch.Sub("Ini\\zelBr").WriteDword("Count", 0);
    Complete();
    EXPECT_EQ(Starts(), Runs("T1.BNC", {0, 1}));
    ASSERT_EQ(host.Only("notice:").size(), 1u);
    EXPECT_NE(host.Only("notice:")[0].find("Count"), std::string::npos);
    EXPECT_EQ(M().state(), State::kIdle);

    // Deleting it is no better.
    host.calls.clear();
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    scratch.Sub("Ini\\zelBr").DeleteValue("Count");
    Complete();
    EXPECT_EQ(Starts(), Runs("T1.BNC", {0}));
    EXPECT_EQ(host.Count("quit"), 0u);
    EXPECT_EQ(M().state(), State::kIdle);
}

// Every launch clears an abort request a module could still find (left by
// an earlier abort, or by a module), and every measurement counts from 0.
TEST_F(MeasurementTest, EveryLaunchClearsSuspensionAndEveryMeasurementCountsFromZero) {
    options.runCount = 10;
    options.runNumberMessage = true;
    auto stale = [&] { scratch.Sub("Ini\\zelBr").WriteDword("Suspension", 1); };
    stale();
    host.duringAnnounce = stale;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    for (int i = 0; i < 10; ++i) Complete();
    EXPECT_EQ(host.suspensions, std::vector<DWORD>(10, 0));
    host.duringAnnounce = nullptr;

    // After ten runs "Count" stands at 9; the next measurements start at 0.
    Catalogue(0, "A.BNC");
    host.calls.clear();
    host.suspensions.clear();
    options.runCount = 1;
    stale();
    M().PushItemBtn(run::kItemButton, "T2.MCR");
    Complete();
    stale();
    M().PushItemBtn(run::kAllItemsButton, "");
    Complete();
    std::vector<std::string> expected{"start:T2.BNC@0", "start:A.BNC@0"};
    EXPECT_EQ(Starts(), expected);
    EXPECT_EQ(host.suspensions, std::vector<DWORD>(2, 0));
    EXPECT_TRUE(host.Only("notice:").empty()) << host.Only("notice:")[0];
}

// --- all items -------------------------------------------------------------------

TEST_F(MeasurementTest, AllItemsRunsEachSelectedItemOncePerPassInCatalogueOrder) {
    options.runCount = 10;
    Catalogue(0, "A.BNC");
    Catalogue(1, "B.BNC", 0);
    Catalogue(2, "C.BNC");
    M().PushItemBtn(run::kAllItemsButton, "");
    for (int i = 0; i < 20; ++i) Complete();
    std::vector<std::string> expected;
    for (int pass = 0; pass < 10; ++pass) {
        expected.push_back("start:A.BNC@" + std::to_string(pass));
        expected.push_back("start:C.BNC@" + std::to_string(pass));
    }
    EXPECT_EQ(Starts(), expected);
    EXPECT_EQ(M().state(), State::kIdle);
    EXPECT_EQ(host.Count("save-cursor"), 1u);
}

// "Select" is 1 for a selected entry; any other value is not a selection.
TEST_F(MeasurementTest, AllItemsRunsOnlyEntriesWhoseSelectIsOne) {
    Catalogue(0, "A.BNC", 2);
    Catalogue(1, "B.BNC", 1);
    Catalogue(2, "C.BNC", 0xFFFFFFFF);
    scratch.Sub("Measure\\0003").WriteText("File", "D.BNC");  // no "Select" at all
    dir.Write("D.BNC");
    M().PushItemBtn(run::kAllItemsButton, "");
    Complete();
    EXPECT_EQ(Starts(), Runs("B.BNC", {0}));
    EXPECT_EQ(M().state(), State::kIdle);
}

TEST_F(MeasurementTest, AllItemsAnnouncesTheItemAboutToRunWithItsPass) {
    options.runCount = 10;
    options.runNumberMessage = true;
    Catalogue(0, "A.BNC");
    Catalogue(1, "C.BNC");
    M().PushItemBtn(run::kAllItemsButton, "");
    Complete();
    Complete();
    std::vector<std::string> expected{"announce:C.BNC 10 1", "announce:A.BNC 10 2"};
    EXPECT_EQ(host.Only("announce:"), expected);
}

TEST_F(MeasurementTest, AllItemsSkipsAMissingModuleAndReportsItEachPass) {
    options.runCount = 10;
    Catalogue(0, "A.BNC");
    Catalogue(1, "B.BNC", 1, false);
    Catalogue(2, "C.BNC");
    M().PushItemBtn(run::kAllItemsButton, "");
    for (int i = 0; i < 20; ++i) Complete();
    EXPECT_EQ(Starts().size(), 20u);
    EXPECT_EQ(host.Count("missing:B.BNC"), 10u);
}

TEST_F(MeasurementTest, AllItemsWithEveryModuleGoneStartsNothing) {
    Catalogue(0, "A.BNC", 1, false);
    Catalogue(1, "B.BNC", 1, false);
    M().PushItemBtn(run::kAllItemsButton, "");
    std::vector<std::string> expected{"missing:A.BNC", "missing:B.BNC", "notice:測定項目がありません。"};
    EXPECT_EQ(host.calls, expected);
    EXPECT_EQ(M().state(), State::kIdle);
}

// --- abort ------------------------------------------------------------------------

TEST_F(MeasurementTest, SystemCommandDuringARunAbortsAndWaitsForTheModule) {
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    host.calls.clear();
    M().AbortRun();
    std::vector<std::string> expected{kAborting, "idle"};
    EXPECT_EQ(host.calls, expected) << "the window stays down";
    EXPECT_EQ(Ini("Suspension"), 1u);
    EXPECT_EQ(M().state(), State::kAborting);
    EXPECT_FALSE(M().IsRunning()) << "further system commands are carried out";

    host.calls.clear();
    Complete(1);
    expected = {"normal", kAborted, "refresh", "restore", "restore-cursor", "drop"};
    EXPECT_EQ(host.calls, expected);
    EXPECT_EQ(host.priority, "normal");
    EXPECT_EQ(M().state(), State::kIdle);
}

TEST_F(MeasurementTest, OneAbortNoticeAtATime) {
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    host.duringNotice = [&](const std::string&) { M().AbortRun(); };
    M().AbortRun();
    host.duringNotice = nullptr;
    EXPECT_EQ(host.Count(kAborting), 1u);
    EXPECT_EQ(host.Count("idle"), 1u);
    EXPECT_EQ(M().state(), State::kAborting);
}

TEST_F(MeasurementTest, ModuleThatEndsWhileTheAbortNoticeIsUpLeavesNoIdlePriority) {
    options.runCount = 10;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    host.duringNotice = [&](const std::string& text) {
        if (text == "測定を中止します。") M().OnEndBnc(0);
    };
    M().AbortRun();
    host.duringNotice = nullptr;
    Exit();
    EXPECT_EQ(host.Count("idle"), 0u);
    EXPECT_EQ(host.priority, "normal");
    EXPECT_EQ(Ini("Suspension"), 0u) << "nothing runs that could read it";
    EXPECT_EQ(Starts(), Runs("T1.BNC", {0})) << "the user asked to stop";
    EXPECT_EQ(host.Count("restore"), 1u);
    EXPECT_EQ(M().state(), State::kIdle);
}

TEST_F(MeasurementTest, AbortWhileTheNextRunIsAnnouncedStartsNothingMore) {
    options.runCount = 10;
    options.runNumberMessage = true;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    host.duringAnnounce = [&] {
        if (M().IsRunning()) M().AbortRun();
    };
    Complete();  // the announcement closes by itself afterwards
    EXPECT_EQ(Starts(), Runs("T1.BNC", {0}));
    EXPECT_EQ(host.Count(kAborting), 1u);
    EXPECT_EQ(host.Count("idle"), 0u) << "no module to wait for";
    EXPECT_EQ(host.Count("restore"), 1u);
    EXPECT_EQ(M().state(), State::kIdle);
}

TEST_F(MeasurementTest, AbortWhileWaitingForTheLastModuleToGoStartsNothingMore) {
    options.runCount = 10;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    M().OnEndBnc(0);  // it lingers
    EXPECT_TRUE(M().IsRunning());
    M().AbortRun();
    EXPECT_EQ(M().state(), State::kIdle);
    Exit();
    EXPECT_EQ(Starts(), Runs("T1.BNC", {0}));
    EXPECT_EQ(host.Count("idle"), 0u);
}

TEST_F(MeasurementTest, ModuleIgnoringAnAbortIsEndedWithWhatItStarted) {
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    M().AbortRun();
    host.now += Measurement::kAbortGraceMs;
    M().OnWatchdog();
    EXPECT_EQ(host.Count("end-module"), 0u) << "not before its time";
    host.now += 1;
    host.calls.clear();
    M().OnWatchdog();
    ASSERT_GE(host.calls.size(), 3u);
    EXPECT_EQ(host.calls[0], "end-module");
    EXPECT_EQ(host.calls[1], "normal");
    EXPECT_NE(host.calls[2].find("起動したアプリケーションとともに終了させました。"), std::string::npos);
    EXPECT_EQ(host.priority, "normal");
    EXPECT_EQ(M().state(), State::kIdle);
    EXPECT_EQ(host.watchdog, 0u);
}

TEST_F(MeasurementTest, ModuleThatDiesWithoutItsEndMessageIsReported) {
    for (bool aborted : {false, true}) {
        host.calls.clear();
        M().PushItemBtn(run::kItemButton, "T1.MCR");
        if (aborted) M().AbortRun();
        host.module = ModuleState::kExited;
        host.endQueued = true;  // its last words are still in the queue
        M().OnWatchdog();
        EXPECT_NE(M().state(), State::kIdle);
        host.endQueued = false;
        M().OnWatchdog();
        std::vector<std::string> notices = host.Only("notice:");
        ASSERT_FALSE(notices.empty());
        EXPECT_NE(notices.back().find("T1.BNC\nが終了を知らせずに終了しました。"), std::string::npos);
        EXPECT_EQ(host.priority, "normal");
        EXPECT_EQ(host.Count("restore"), 1u);
        EXPECT_EQ(M().state(), State::kIdle);
    }
}

// --- stray and repeated end messages ----------------------------------------------

TEST_F(MeasurementTest, EndMessageWhileIdleOnlySaysSo) {
    // "Count" was never written.
    M().OnEndBnc(0);
    std::vector<std::string> expected{"normal", kAborted, "refresh", "restore", "restore-cursor"};
    EXPECT_EQ(host.calls, expected);
    EXPECT_EQ(host.types.back() & MB_SYSTEMMODAL, static_cast<UINT>(MB_SYSTEMMODAL));
}

TEST_F(MeasurementTest, FloodOfEndMessagesShowsOneNoticeAtATime) {
    host.duringNotice = [&](const std::string&) {
        for (int i = 0; i < 2000; ++i) M().OnEndBnc(0);
    };
    M().OnEndBnc(0);
    EXPECT_EQ(host.Count(kAborted), 1u);
}

TEST_F(MeasurementTest, FurtherEndMessagesFromTheSameLaunchAreAbsorbed) {
    options.runCount = 10;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    M().OnEndBnc(0);
    for (int i = 0; i < 50; ++i) M().OnEndBnc(0);  // a module that keeps posting
    EXPECT_EQ(Starts(), Runs("T1.BNC", {0})) << "the next run waits for it to go";
    EXPECT_TRUE(host.Only("notice:").empty());
    EXPECT_EQ(host.watchdog, Measurement::kReapPeriodMs);
    Exit();
    EXPECT_EQ(host.Count("drop"), 1u) << "what it posted before going is dropped";
    EXPECT_EQ(Starts(), Runs("T1.BNC", {0, 1}));
}

TEST_F(MeasurementTest, ModuleAlreadyGoneAtItsEndMessageLetsTheNextRunStartAtOnce) {
    options.runCount = 10;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    host.module = ModuleState::kExited;
    M().OnEndBnc(0);
    EXPECT_EQ(Starts(), Runs("T1.BNC", {0, 1}));
    EXPECT_EQ(host.Count("drop"), 1u);
    EXPECT_EQ(host.watchdog, Measurement::kWatchPeriodMs);
}

TEST_F(MeasurementTest, LingeringModuleIsEndedAfterItsTimeAndTheRunsGoOn) {
    options.runCount = 10;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    M().OnEndBnc(0);
    host.now += Measurement::kLingerLimitMs;
    M().OnWatchdog();
    EXPECT_EQ(Starts().size(), 1u);
    host.now += 1;
    M().OnWatchdog();
    EXPECT_EQ(host.Count("end-module"), 1u);
    EXPECT_EQ(Starts(), Runs("T1.BNC", {0, 1}));
}

TEST_F(MeasurementTest, WindowComesBackAtTheEndMessageNotWhenTheModuleExits) {
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    M().OnEndBnc(0);
    EXPECT_EQ(host.Count("restore"), 1u);
    EXPECT_EQ(M().state(), State::kIdle);
    M().OnEndBnc(0);  // still from that launch
    EXPECT_EQ(host.Count(kAborted), 0u);
    // A new measurement waits for it to go before starting its module.
    M().PushItemBtn(run::kItemButton, "T2.MCR");
    EXPECT_EQ(Starts(), Runs("T1.BNC", {0}));
    Exit();
    EXPECT_EQ(Starts().back(), "start:T2.BNC@0");
}

// --- registry failures --------------------------------------------------------------

TEST_F(MeasurementTest, SettingsKeyThatCannotBeOpenedQuits) {
    // A non-volatile key cannot live below a volatile one.
    auto breakSettingsKey = [&] {
        DeleteKeyTree(scratch.root(), "Ini");
        HKEY ini;
        ASSERT_EQ(RegCreateKeyExA(scratch.root(), "Ini", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  &ini, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(ini);
    };
    breakSettingsKey();
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    std::vector<std::string> expected{
        "notice:PushItemBtn() 正常にレジストリの操作ができません。\nアプリケーション ベンチマークを終了します。", "quit"};
    EXPECT_EQ(host.calls, expected);
    EXPECT_EQ(host.types.back() & MB_ICONSTOP, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_TRUE(Starts().empty());

    // Lost while a module measures: its end message cannot be checked.
    DeleteKeyTree(scratch.root(), "Ini");
    options.runCount = 10;
    M().PushItemBtn(run::kItemButton, "T1.MCR");
    breakSettingsKey();
    host.calls.clear();
    Complete();
    ASSERT_FALSE(host.calls.empty());
    EXPECT_EQ(host.calls[0],
              "notice:OnEndBnc() 正常にレジストリの操作ができません。\nアプリケーション ベンチマークを終了します。");
    EXPECT_EQ(host.Count("quit"), 1u);
    EXPECT_TRUE(Starts().empty()) << "nothing is started afterwards";
}

// --- precision ------------------------------------------------------------------------

TEST(Precision, ChangingTheChoiceReratesThenStores) {
    ScratchKey s;
    settings::Options options;
    int refreshed = 0;
    std::function<void()> refresh = [&] { ++refreshed; };
    ApplyPrecision(s.root(), options, 1, refresh);
    EXPECT_EQ(options.runCount, 10);
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(s.Raw("Ini\\zelBr", "Precision"), std::string("\x0a\0\0\0", 4));

    // The same choice again changes nothing, not even the stored value.
    s.Sub("Ini\\zelBr").WriteDword("Precision", 77);
    ApplyPrecision(s.root(), options, 1, refresh);
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(s.Raw("Ini\\zelBr", "Precision"), std::string("\x4d\0\0\0", 4));

    // A hand-made run count shows as simple; choosing simple stores 1.
    options.runCount = 5;
    ApplyPrecision(s.root(), options, 0, refresh);
    EXPECT_EQ(options.runCount, 1);
    EXPECT_EQ(refreshed, 2);
    EXPECT_EQ(s.Raw("Ini\\zelBr", "Precision"), std::string("\x01\0\0\0", 4));
}
