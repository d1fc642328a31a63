#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "zbmodule.h"

namespace {

zb::Record Sealed(uint32_t runs, uint32_t reference, std::vector<uint32_t> values) {
    zb::Record r;
    r.runsStored = runs;
    r.reference = reference;
    for (size_t i = 0; i < values.size() && i < zb::kMaxRuns; ++i) r.values[i] = values[i];
    zb::RecordSeal(r);
    return r;
}

// A registry root for one test under HKCU\Software\ZelbrTests, removed afterwards.
struct ScratchPlace {
    ScratchPlace() {
        char name[96];
        std::snprintf(name, sizeof name, "Software\\ZelbrTests\\modules-%lu-%d",
                      GetCurrentProcessId(), ++s_counter);
        place.root = name;
        place.base = "T1";
        zb::DeleteKeyTree(HKEY_CURRENT_USER, place.root);
        Handover().Set("Suspension", 0);
    }
    ~ScratchPlace() { zb::DeleteKeyTree(HKEY_CURRENT_USER, place.root); }

    struct Key {
        HKEY k = nullptr;
        explicit Key(const std::string& path) {
            DWORD disp;
            RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &k, &disp);
        }
        ~Key() {
            if (k) RegCloseKey(k);
        }
        void Set(const char* name, DWORD v) {
            RegSetValueExA(k, name, 0, REG_DWORD, (const BYTE*)&v, 4);
        }
        void SetBytes(const char* name, const void* data, DWORD n) {
            RegSetValueExA(k, name, 0, REG_BINARY, (const BYTE*)data, n);
        }
        bool Has(const char* name) {
            return RegQueryValueExA(k, name, nullptr, nullptr, nullptr, nullptr) == 0;
        }
    };
    Key Handover() { return Key(place.root + "\\Ini\\zelBr"); }
    Key Bench() { return Key(place.root + "\\Bench\\" + place.base); }

    zb::Place place;
    static inline int s_counter = 0;
};

}  // namespace

TEST(RecordArithmetic, FirstRunStartsFreshAndSealsBothSums) {
    zb::Record r = Sealed(10, 77, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});  // an old complete record
    ASSERT_TRUE(zb::RecordValid(r));
    ASSERT_TRUE(zb::RecordStore(r, 0, 1000, 500));
    EXPECT_EQ(r.runsStored, 1u);
    EXPECT_EQ(r.reference, 500u);
    EXPECT_EQ(r.values[0], 1000u);
    for (uint32_t i = 1; i < zb::kMaxRuns; ++i) EXPECT_EQ(r.values[i], 0u) << i;
    EXPECT_EQ(r.runSum, 1000u);
    EXPECT_EQ(r.checkSum, 2501u);  // 1 + 500 + 1000 + 1000
    EXPECT_TRUE(zb::RecordValid(r));
}

TEST(RecordArithmetic, TenRunsInTurnMakeACompleteRecord) {
    zb::Record r;
    for (uint32_t k = 0; k < 10; ++k) ASSERT_TRUE(zb::RecordStore(r, k, 500, 1000));
    EXPECT_EQ(r.runsStored, 10u);
    EXPECT_EQ(r.runSum, 5000u);
    EXPECT_EQ(r.checkSum, 11010u);
    EXPECT_TRUE(zb::RecordValid(r));
}

TEST(RecordArithmetic, SumsWrapAtTwoToThe32) {
    zb::Record r;
    ASSERT_TRUE(zb::RecordStore(r, 0, 0xFFFFFFF0u, 0xFFFFFFFFu));
    ASSERT_TRUE(zb::RecordStore(r, 1, 0x20u, 0xFFFFFFFFu));
    EXPECT_EQ(r.runSum, 0x10u);  // 0xFFFFFFF0 + 0x20
    // 2 + 0xFFFFFFFF + 0x10 + 0x10 = 0x100000021
    EXPECT_EQ(r.checkSum, 0x21u);
    EXPECT_TRUE(zb::RecordValid(r));
    // The next run keeps what is there: the wrapped record is valid.
    ASSERT_TRUE(zb::RecordStore(r, 2, 1, 0xFFFFFFFFu));
    EXPECT_EQ(r.values[0], 0xFFFFFFF0u);
    EXPECT_EQ(r.runSum, 0x11u);
}

// Zeros in place of missing runs would make a valid record with a tiny mean:
// with ten runs asked for, one real value would score tenfold.
TEST(RecordArithmetic, ALaterRunNeedsEveryEarlierRunUnderTheSameReference) {
    zb::Record r;
    EXPECT_FALSE(zb::RecordStore(r, 1, 900, 1000));  // nothing there yet
    EXPECT_FALSE(zb::RecordGap(r, 1, 1000).empty());
    ASSERT_TRUE(zb::RecordStore(r, 0, 700, 1000));
    zb::Record afterFirst = r;
    EXPECT_FALSE(zb::RecordStore(r, 2, 900, 1000));  // run 1 is missing
    EXPECT_FALSE(zb::RecordStore(r, 3, 900, 1000));
    EXPECT_FALSE(zb::RecordStore(r, 9, 900, 1000));
    EXPECT_NE(zb::RecordGap(r, 2, 1000).find("holds only 1"), std::string::npos);
    EXPECT_EQ(0, memcmp(&r, &afterFirst, sizeof r));  // untouched
    EXPECT_FALSE(zb::RecordStore(r, 1, 900, 1001));   // another reference
    EXPECT_NE(zb::RecordGap(r, 1, 1001).find("reference"), std::string::npos);
    EXPECT_EQ(0, memcmp(&r, &afterFirst, sizeof r));

    EXPECT_EQ(zb::RecordGap(r, 1, 1000), "");
    ASSERT_TRUE(zb::RecordStore(r, 1, 800, 1000));
    EXPECT_EQ(r.runsStored, 2u);
    ASSERT_TRUE(zb::RecordStore(r, 2, 900, 1000));
    EXPECT_EQ(r.runsStored, 3u);
    // Storing an earlier run again does not lower the count.
    ASSERT_TRUE(zb::RecordStore(r, 1, 850, 1000));
    EXPECT_EQ(r.runsStored, 3u);
    EXPECT_EQ(r.runSum, 2450u);
    EXPECT_TRUE(zb::RecordValid(r));
    // The last place needs all nine before it.
    zb::Record nine = Sealed(9, 1000, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    ASSERT_TRUE(zb::RecordStore(nine, 9, 10, 1000));
    EXPECT_EQ(nine.runsStored, 10u);
    zb::Record eight = Sealed(8, 1000, {1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_FALSE(zb::RecordStore(eight, 9, 10, 1000));
}

TEST(RecordArithmetic, AnInvalidExistingRecordTakesOnlyAFreshFirstRun) {
    zb::Record bad = Sealed(2, 1000, {600, 700});
    bad.checkSum += 1;
    EXPECT_FALSE(zb::RecordValid(bad));
    EXPECT_FALSE(zb::RecordStore(bad, 2, 800, 1000));
    EXPECT_FALSE(zb::RecordStore(bad, 1, 800, 1000));
    EXPECT_EQ(bad.values[1], 700u);  // untouched
    ASSERT_TRUE(zb::RecordStore(bad, 0, 800, 1000));
    EXPECT_EQ(bad.values[0], 800u);
    EXPECT_EQ(bad.values[1], 0u);
    EXPECT_EQ(bad.runsStored, 1u);
    EXPECT_TRUE(zb::RecordValid(bad));

    zb::Record wrongRunSum = Sealed(2, 1000, {600, 700});
    wrongRunSum.runSum += 1;
    wrongRunSum.checkSum += 1;  // check sum agrees with the wrong run sum
    EXPECT_FALSE(zb::RecordValid(wrongRunSum));
    EXPECT_FALSE(zb::RecordStore(wrongRunSum, 2, 800, 1000));
    zb::Record zeroRef = Sealed(2, 0, {600, 700});
    EXPECT_FALSE(zb::RecordValid(zeroRef));
    zb::Record tooMany = Sealed(11, 1000, {600, 700});
    EXPECT_FALSE(zb::RecordValid(tooMany));
    EXPECT_FALSE(zb::RecordStore(tooMany, 1, 5, 1000));
    EXPECT_EQ(tooMany.runsStored, 11u);
}

TEST(RecordArithmetic, RunTenAndAZeroReferenceAreNotStorable) {
    zb::Record r = Sealed(1, 1000, {600});
    zb::Record before = r;
    EXPECT_FALSE(zb::RecordStore(r, 10, 1, 1000));
    EXPECT_FALSE(zb::RecordStore(r, 0xFFFFFFFFu, 1, 1000));
    EXPECT_FALSE(zb::RecordStore(r, 1, 1, 0));
    EXPECT_EQ(0, memcmp(&r, &before, sizeof r));
}

TEST(RecordBytes, LittleEndianFourteenWordsAndExactlyFiftySixBytes) {
    zb::Record r = Sealed(1, 0x01020304u, {0xA1B2C3D4u});
    uint8_t b[zb::kRecordBytes];
    zb::RecordToBytes(r, b);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(b[4], 0x04);
    EXPECT_EQ(b[7], 0x01);
    EXPECT_EQ(b[8], 0xD4);
    EXPECT_EQ(b[11], 0xA1);
    EXPECT_EQ(b[48], 0xD4);  // run sum = the one value
    zb::Record back;
    ASSERT_TRUE(zb::RecordFromBytes(b, sizeof b, &back));
    EXPECT_EQ(0, memcmp(&r, &back, sizeof r));
    EXPECT_FALSE(zb::RecordFromBytes(b, 40, &back));
    EXPECT_EQ(back.reference, 0u);  // zeroed, not half read
    EXPECT_FALSE(zb::RecordFromBytes(b, 57, &back));
    EXPECT_FALSE(zb::RecordFromBytes(nullptr, 56, &back));
}

TEST(PassTimes, TypicalTotalIsTheFastestQuartersMeanTimesTheCount) {
    EXPECT_EQ(zb::TypicalTotal({}), 0u);
    EXPECT_EQ(zb::TypicalTotal({500}), 500u);
    // Up to four passes: the fastest one alone.
    EXPECT_EQ(zb::TypicalTotal({300, 100}), 200u);
    EXPECT_EQ(zb::TypicalTotal({100, 100, 10000}), 300u);
    EXPECT_EQ(zb::TypicalTotal({9999, 200, 7, 100}), 28u);
    // Nine, in any order: the fastest three's mean (37) times nine.
    EXPECT_EQ(zb::TypicalTotal({104, 5, 100, 500000, 101, 103, 6, 102, 400000}), 333u);
    // Five: the fastest two, 2.5 * 5 = 12.5, rounded to the nearest microsecond.
    EXPECT_EQ(zb::TypicalTotal({9, 3, 9, 2, 9}), 13u);
    // Capped at what the record holds.
    EXPECT_EQ(zb::TypicalTotal({3000000000ull, 3000000000ull}), 0xFFFFFFFFu);
}

TEST(ModuleName, FileNameLessItsLastFourCharacters) {
    EXPECT_EQ(zb::BaseNameOf("C:\\ZELBR\\NOTEPAD.BNC"), "NOTEPAD");
    EXPECT_EQ(zb::BaseNameOf("T1.BNC"), "T1");
    EXPECT_EQ(zb::BaseNameOf("Z:/tmp/x/COPY.BNC"), "COPY");
    EXPECT_EQ(zb::BaseNameOf("C:T1.BNC"), "T1");
    EXPECT_EQ(zb::BaseNameOf("C:\\a.b\\MY.MOD.BNC"), "MY.MOD");
    // 表 is 0x95 0x5C in code page 932: its trail byte is not a separator.
    EXPECT_EQ(zb::BaseNameOf("C:\\表\\表計算.BNC"), "表計算");
    EXPECT_EQ(zb::BaseNameOf("C:\\dir\\.BNC"), "");
    EXPECT_EQ(zb::BaseNameOf(""), "");
    EXPECT_EQ(zb::ModuleBaseName(), "module_unit_tests");
}

TEST(RegistryRecord, StoreRunRoundTripsThroughTheRegistry) {
    ScratchPlace s;
    zb::Record r;
    EXPECT_FALSE(zb::ReadRecord(s.place, &r));
    ASSERT_TRUE(zb::StoreRun(s.place, 0, 1200, 1000));
    ASSERT_TRUE(zb::StoreRun(s.place, 1, 1300, 1000));
    ASSERT_TRUE(zb::ReadRecord(s.place, &r));
    EXPECT_EQ(r.runsStored, 2u);
    EXPECT_EQ(r.values[0], 1200u);
    EXPECT_EQ(r.values[1], 1300u);
    EXPECT_TRUE(zb::RecordValid(r));

    // Stored as REG_BINARY of exactly 56 bytes under Bench\<base>.
    auto bench = s.Bench();
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExA(bench.k, "Result", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_BINARY));
    EXPECT_EQ(size, 56u);

    // Run 0 again: a fresh record.
    ASSERT_TRUE(zb::StoreRun(s.place, 0, 900, 1000));
    ASSERT_TRUE(zb::ReadRecord(s.place, &r));
    EXPECT_EQ(r.runsStored, 1u);
    EXPECT_EQ(r.values[1], 0u);
    EXPECT_FALSE(zb::StoreRun(s.place, 10, 900, 1000));
}

TEST(RegistryRecord, MalformedOrForeignValuesAreReplacedOnTheNextRun) {
    ScratchPlace s;
    uint8_t forty[40] = {1, 0, 0, 0, 0xE8, 3};
    s.Bench().SetBytes("Result", forty, sizeof forty);
    zb::Record r;
    EXPECT_FALSE(zb::ReadRecord(s.place, &r));
    // A later run has nothing to add to: refused, the value left as it is.
    EXPECT_FALSE(zb::StoreRun(s.place, 4, 555, 1000));
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExA(s.Bench().k, "Result", nullptr, nullptr, nullptr, &size), 0);
    EXPECT_EQ(size, 40u);
    ASSERT_TRUE(zb::StoreRun(s.place, 0, 555, 1000));
    ASSERT_TRUE(zb::ReadRecord(s.place, &r));
    EXPECT_EQ(r.runsStored, 1u);
    EXPECT_EQ(r.values[0], 555u);
    EXPECT_TRUE(zb::RecordValid(r));

    std::vector<uint8_t> big(300, 0xFF);  // larger than any buffer we read into
    s.Bench().SetBytes("Result", big.data(), DWORD(big.size()));
    EXPECT_FALSE(zb::ReadRecord(s.place, &r));
    EXPECT_FALSE(zb::StoreRun(s.place, 1, 10, 1000));
    ASSERT_TRUE(zb::StoreRun(s.place, 0, 10, 1000));
    ASSERT_TRUE(zb::ReadRecord(s.place, &r));
    EXPECT_EQ(r.runsStored, 1u);
    EXPECT_EQ(r.values[0], 10u);
}

TEST(RegistryHandover, CountWindowAndSuspension) {
    ScratchPlace s;
    zb::Handover h;
    EXPECT_FALSE(zb::ReadHandover(s.place, &h));
    s.Handover().Set("Count", 3);
    EXPECT_FALSE(zb::ReadHandover(s.place, &h));  // no "hWnd" yet
    s.Handover().Set("hWnd", 0x1234);
    ASSERT_TRUE(zb::ReadHandover(s.place, &h));
    EXPECT_EQ(h.count, 3u);
    EXPECT_EQ(h.window, reinterpret_cast<HWND>(0x1234));
    s.Handover().SetBytes("Count", "\x01\x00", 2);  // wrong size: missing
    EXPECT_FALSE(zb::ReadHandover(s.place, &h));

    EXPECT_FALSE(zb::SuspensionRequested(s.place));
    s.Handover().Set("Suspension", 1);
    EXPECT_TRUE(zb::SuspensionRequested(s.place));
    s.Handover().Set("Suspension", 2);  // only 1 means stop
    EXPECT_FALSE(zb::SuspensionRequested(s.place));
}

// ---------------------------------------------------------------------------
// The whole launch, with this test as the main window.

namespace {

struct EndWindow {
    EndWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZbEndWindow";
        RegisterClassA(&wc);
        hwnd = CreateWindowA("ZbEndWindow", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             wc.hInstance, nullptr);
    }
    ~EndWindow() { DestroyWindow(hwnd); }
    // wParams of the end messages waiting in the queue, taken out.
    std::vector<WPARAM> Ends() {
        std::vector<WPARAM> got;
        MSG msg;
        while (PeekMessageA(&msg, hwnd, zb::kEndMessage, zb::kEndMessage, PM_REMOVE))
            got.push_back(msg.wParam);
        return got;
    }
    HWND hwnd = nullptr;
};

struct Launch {
    ScratchPlace s;
    EndWindow w;
    explicit Launch(DWORD count) {
        auto h = s.Handover();
        h.Set("Count", count);
        h.Set("hWnd", DWORD(reinterpret_cast<uintptr_t>(w.hwnd)));
    }
};

bool TimeNothing(zb::Run&) {
    return true;
}
bool FixedValue(zb::Run& run) {
    run.SetValue(4242 + run.Index());
    return true;
}
bool Clocked(zb::Run& run) {
    run.StartClock();
    Sleep(2);
    run.StopClock();
    return true;
}
bool GivesUp(zb::Run& run) {
    return run.Fail("target missing");
}
bool FailsButReturnsTrue(zb::Run& run) {
    run.SetValue(1);
    run.Fail("step went wrong");
    return true;
}
// The user aborts while the module waits.
bool AbortedMidway(zb::Run& run) {
    HKEY k;
    RegOpenKeyExA(run.Where().hive, (run.Where().root + "\\Ini\\zelBr").c_str(), 0, KEY_WRITE, &k);
    DWORD one = 1;
    RegSetValueExA(k, "Suspension", 0, REG_DWORD, (const BYTE*)&one, 4);
    RegCloseKey(k);
    run.SetValue(1);
    bool slept = run.Pause(10000);
    EXPECT_FALSE(slept);
    EXPECT_TRUE(run.ShouldStop());
    return slept;
}

}  // namespace

TEST(RunModule, ACompletedRunIsStoredBeforeOneEndMessageWithZero) {
    Launch l(0);
    EXPECT_EQ(zb::RunModule(l.s.place, 1000, FixedValue), 0);
    EXPECT_EQ(l.w.Ends(), std::vector<WPARAM>{0});
    zb::Record r;
    ASSERT_TRUE(zb::ReadRecord(l.s.place, &r));
    EXPECT_EQ(r.runsStored, 1u);
    EXPECT_EQ(r.reference, 1000u);
    EXPECT_EQ(r.values[0], 4242u);

    l.s.Handover().Set("Count", 1);
    EXPECT_EQ(zb::RunModule(l.s.place, 1000, Clocked), 0);
    EXPECT_EQ(l.w.Ends(), std::vector<WPARAM>{0});
    ASSERT_TRUE(zb::ReadRecord(l.s.place, &r));
    EXPECT_EQ(r.runsStored, 2u);
    EXPECT_GT(r.values[1], 0u);  // the stopwatch ran; its reading is not checked
    EXPECT_EQ(r.values[0], 4242u);
}

TEST(RunModule, EndingEarlyStoresNothing) {
    struct Case {
        zb::MeasureFn fn;
        DWORD count;
        DWORD suspension;
        WPARAM code;
    } cases[] = {
        {GivesUp, 1, 0, zb::kEndFailed},
        {FailsButReturnsTrue, 1, 0, zb::kEndFailed},
        {TimeNothing, 1, 0, zb::kEndFailed},  // no time taken: no value to rate
        {FixedValue, 10, 0, zb::kEndFailed},  // run 10 does not fit the record
        {FixedValue, 0xFFFFFFFFu, 0, zb::kEndFailed},
        {FixedValue, 1, 1, zb::kEndAborted},  // aborted before the start
        {AbortedMidway, 1, 0, zb::kEndAborted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "count " << c.count << " code " << c.code);
        Launch l(0);
        ASSERT_EQ(zb::RunModule(l.s.place, 1000, FixedValue), 0);  // run 0 is there
        l.w.Ends();
        l.s.Handover().Set("Count", c.count);
        l.s.Handover().Set("Suspension", c.suspension);
        EXPECT_EQ(zb::RunModule(l.s.place, 1000, c.fn), int(c.code));
        EXPECT_EQ(l.w.Ends(), std::vector<WPARAM>{c.code});
        zb::Record r;
        ASSERT_TRUE(zb::ReadRecord(l.s.place, &r));
        EXPECT_EQ(r.runsStored, 1u);
        EXPECT_EQ(r.values[0], 4242u);
    }
}

// A run whose earlier runs are not in the record (ZELBR's record was
// deleted or overwritten in between, or the module was swapped for one with
// another reference) ends early before measuring, and says why.
TEST(RunModule, ALaterRunWithoutTheEarlierOnesEndsEarlyBeforeMeasuring) {
    static int measured;
    auto counted = [](zb::Run& run) {
        ++measured;
        run.SetValue(4242);
        return true;
    };
    auto reason = [](ScratchPlace& s) {
        char buf[256] = "";
        DWORD size = sizeof buf - 1;
        RegQueryValueExA(s.Bench().k, "Reason", nullptr, nullptr, (BYTE*)buf, &size);
        return std::string(buf);
    };
    struct Case {
        uint32_t stored;     // runs stored first (0: no record at all)
        uint32_t reference;  // of the later run
        DWORD count;
        WPARAM code;
    } cases[] = {
        {0, 1000, 1, zb::kEndFailed},    {0, 1000, 9, zb::kEndFailed},
        {1, 1000, 2, zb::kEndFailed},    {3, 1000, 4, zb::kEndFailed},
        {2, 999, 2, zb::kEndFailed},     {1, 1000, 1, zb::kEndCompleted},
        {3, 1000, 3, zb::kEndCompleted}, {3, 1000, 2, zb::kEndCompleted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stored << " stored, run " << c.count);
        Launch l(0);
        for (DWORD k = 0; k < c.stored; ++k) {
            l.s.Handover().Set("Count", k);
            ASSERT_EQ(zb::RunModule(l.s.place, 1000, FixedValue), 0);
        }
        l.w.Ends();
        zb::Record before;
        zb::ReadRecord(l.s.place, &before);
        measured = 0;
        l.s.Handover().Set("Count", c.count);
        EXPECT_EQ(zb::RunModule(l.s.place, c.reference, counted), int(c.code));
        EXPECT_EQ(l.w.Ends(), std::vector<WPARAM>{c.code});
        zb::Record after;
        zb::ReadRecord(l.s.place, &after);
        if (c.code == zb::kEndCompleted) {
            EXPECT_EQ(measured, 1);
            EXPECT_EQ(after.values[c.count], 4242u);
            EXPECT_EQ(reason(l.s), "");
        } else {
            EXPECT_EQ(measured, 0);
            EXPECT_EQ(0, memcmp(&before, &after, sizeof before));
            EXPECT_NE(reason(l.s).find("run"), std::string::npos) << reason(l.s);
        }
    }
}

TEST(RunModule, MissingHandoverValues) {
    ScratchPlace s;
    EndWindow w;
    // Nothing at all: nobody to tell.
    EXPECT_EQ(zb::RunModule(s.place, 1000, FixedValue), int(zb::kEndFailed));
    EXPECT_TRUE(w.Ends().empty());
    // A window but no "Count": told that nothing was measured.
    s.Handover().Set("hWnd", DWORD(reinterpret_cast<uintptr_t>(w.hwnd)));
    EXPECT_EQ(zb::RunModule(s.place, 1000, FixedValue), int(zb::kEndFailed));
    EXPECT_EQ(w.Ends(), std::vector<WPARAM>{zb::kEndFailed});
    zb::Record r;
    EXPECT_FALSE(zb::ReadRecord(s.place, &r));
    // A zero reference would make the record worthless.
    s.Handover().Set("Count", 0);
    EXPECT_EQ(zb::RunModule(s.place, 0, FixedValue), int(zb::kEndFailed));
    EXPECT_EQ(w.Ends(), std::vector<WPARAM>{zb::kEndFailed});
    EXPECT_FALSE(zb::ReadRecord(s.place, &r));
}

TEST(RunHelpers, WaitsEndOnTimeoutOrAbort) {
    ScratchPlace s;
    {
        zb::Run run(s.place, 0);
        EXPECT_FALSE(run.ShouldStop());
        EXPECT_FALSE(run.WaitUntil([] { return false; }, "the impossible", 30));
        EXPECT_TRUE(run.Failed());
        EXPECT_FALSE(run.Aborted());
        EXPECT_NE(run.FailReason().find("the impossible"), std::string::npos);
        EXPECT_TRUE(run.ShouldStop());
        EXPECT_EQ(run.Launch("cmd.exe /c exit"), nullptr);  // nothing new after a failure
    }
    {
        zb::Run run(s.place, 0);
        int calls = 0;
        EXPECT_TRUE(run.WaitUntil([&] { return ++calls == 3; }, "third time", 10000));
        EXPECT_FALSE(run.Failed());
        s.Handover().Set("Suspension", 1);
        EXPECT_FALSE(run.WaitUntil([] { return false; }, "abort", 10000));
        EXPECT_TRUE(run.Aborted());
        EXPECT_FALSE(run.Failed());
    }
}

TEST(RunHelpers, StopwatchAddsUpItsTimedParts) {
    ScratchPlace s;
    zb::Run run(s.place, 0);
    EXPECT_EQ(run.ElapsedUs(), 0u);
    run.StartClock();
    Sleep(5);
    run.StopClock();
    uint64_t first = run.ElapsedUs();
    EXPECT_GT(first, 0u);
    Sleep(5);  // not timed
    EXPECT_EQ(run.ElapsedUs(), first);
    run.StartClock();
    run.StartClock();  // a second start does not reset
    Sleep(1);
    run.StopClock();
    EXPECT_GT(run.ElapsedUs(), first);
    EXPECT_EQ(run.Value(), uint32_t(run.ElapsedUs()));
    run.SetValue(77);
    EXPECT_EQ(run.Value(), 77u);
}

std::vector<uint64_t> PassList(const std::string& times) {
    std::vector<uint64_t> v;
    for (size_t at = 0; at < times.size();) {
        size_t comma = times.find(',', at);
        if (comma == std::string::npos) comma = times.size();
        v.push_back(std::stoull(times.substr(at, comma - at)));
        at = comma + 1;
    }
    return v;
}

TEST(RunHelpers, MorePassesAddToTheRunsAndANewRunOfPassesStartsAfresh) {
    ScratchPlace s;
    zb::Run run(s.place, 0);
    auto slow = [](uint32_t i) {
        Sleep(i == 0 ? 20 : 1);
        return true;
    };
    ASSERT_TRUE(run.TimePasses(3, slow));
    EXPECT_EQ(PassList(run.PassTimes()).size(), 3u);
    ASSERT_TRUE(run.TimeMorePasses(2, slow));
    std::vector<uint64_t> all = PassList(run.PassTimes());
    ASSERT_EQ(all.size(), 5u);
    EXPECT_GT(all[3], all[4]);  // the second launch's own first pass
    // The value comes from all five: the fastest two of them, times five.
    EXPECT_EQ(run.Value(), zb::TypicalTotal(all));
    ASSERT_TRUE(run.TimePasses(2, slow));
    EXPECT_EQ(PassList(run.PassTimes()).size(), 2u);
    EXPECT_FALSE(run.TimeMorePasses(3, [](uint32_t i) { return i < 1; }));
}

TEST(RunHelpers, LaunchedProgramsAreEndedWithTheRun) {
    ScratchPlace s;
    HANDLE dup = nullptr;
    {
        zb::Run run(s.place, 0);
        zb::Process* p = run.Launch("notepad.exe", SW_SHOWMINNOACTIVE);
        ASSERT_NE(p, nullptr);
        ASSERT_TRUE(run.WaitIdle(*p, 30000));
        EXPECT_NE(run.WaitWindow(*p, "Notepad", nullptr, 30000), nullptr);
        DuplicateHandle(GetCurrentProcess(), p->handle, GetCurrentProcess(), &dup, SYNCHRONIZE,
                        FALSE, 0);
        EXPECT_EQ(WaitForSingleObject(dup, 0), DWORD(WAIT_TIMEOUT));
        // Leaves notepad running: the Run ends it.
    }
    ASSERT_NE(dup, nullptr);
    EXPECT_EQ(WaitForSingleObject(dup, 10000), DWORD(WAIT_OBJECT_0));
    CloseHandle(dup);

    zb::Run run(s.place, 0);
    EXPECT_EQ(run.Launch("no-such-program-here.exe"), nullptr);
    EXPECT_TRUE(run.Failed());
}

TEST(RunHelpers, CloseDiscardingAnswersTheSavePromptWithNo) {
    ScratchPlace s;
    zb::Run run(s.place, 0);
    zb::Process* p = run.Launch("notepad.exe", SW_SHOWNOACTIVATE);
    ASSERT_NE(p, nullptr);
    ASSERT_TRUE(run.WaitIdle(*p, 30000));
    HWND main = run.WaitWindow(*p, "Notepad", nullptr, 30000);
    ASSERT_NE(main, nullptr);
    HWND edit = FindWindowExA(main, nullptr, "Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, EM_REPLACESEL, TRUE, LPARAM("unsaved"));
    ASSERT_TRUE(SendMessageA(edit, EM_GETMODIFY, 0, 0));  // so notepad asks
    EXPECT_TRUE(run.CloseDiscarding(*p, main, 30000));
    EXPECT_FALSE(run.Failed());
    EXPECT_EQ(WaitForSingleObject(p->handle, 0), DWORD(WAIT_OBJECT_0));
}

TEST(RegistryTree, DeletesNestedKeysOnly) {
    ScratchPlace s;
    ScratchPlace::Key(s.place.root + "\\Work\\A\\B").Set("v", 1);
    ScratchPlace::Key(s.place.root + "\\Work\\C").Set("v", 2);
    ScratchPlace::Key(s.place.root + "\\Keep").Set("v", 3);
    EXPECT_TRUE(zb::DeleteKeyTree(HKEY_CURRENT_USER, s.place.root + "\\Work"));
    HKEY k;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, (s.place.root + "\\Work").c_str(), 0, KEY_READ, &k),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (s.place.root + "\\Keep").c_str(), 0, KEY_READ, &k),
              ERROR_SUCCESS);
    RegCloseKey(k);
    EXPECT_TRUE(zb::DeleteKeyTree(HKEY_CURRENT_USER, s.place.root + "\\Never"));
}

// ---------------------------------------------------------------------------
// What a driven application remembers is set aside for a run and given back.

namespace {

const char kAppKey[] = "Software\\ZelbrTests\\KeptApp";

void SetValue(const std::string& key, const char* name, const std::string& text) {
    HKEY k;
    DWORD disp;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &k, &disp),
              ERROR_SUCCESS);
    RegSetValueExA(k, name, 0, REG_SZ, (const BYTE*)text.c_str(), DWORD(text.size() + 1));
    RegCloseKey(k);
}

// The text of a value, or "-" when the key or value is missing.
std::string GetValue(const std::string& key, const char* name) {
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return "-";
    char buf[256];
    DWORD size = sizeof buf;
    LONG r = RegQueryValueExA(k, name, nullptr, nullptr, (BYTE*)buf, &size);
    RegCloseKey(k);
    return r == ERROR_SUCCESS ? std::string(buf) : "-";
}

bool Exists(const std::string& key) {
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

struct KeptTest : testing::Test {
    const std::string app = kAppKey;
    const std::string kept = "Software\\Orvane\\Travik\\zelBrKept\\ZbTestApp";
    void SetUp() override {
        zb::DeleteKeyTree(HKEY_CURRENT_USER, app);
        zb::DeleteKeyTree(HKEY_CURRENT_USER, kept);
    }
    void TearDown() override { SetUp(); }
};

}  // namespace

TEST_F(KeptTest, ARunStartsWithoutTheSettingsAndTheUsersComeBackWithTheirSubkeys) {
    SetValue(app, "FrameRect", "user");
    SetValue(app + "\\Options\\Deep", "Wrap", "1");
    {
        zb::KeptSettings k(kAppKey, "ZbTestApp");
        ASSERT_TRUE(k.Clear());
        EXPECT_FALSE(Exists(app));
        // The run's application writes its own.
        SetValue(app, "FrameRect", "run");
        SetValue(app, "File1", "recent");
        SetValue(app + "\\Other", "x", "y");
    }
    EXPECT_EQ(GetValue(app, "FrameRect"), "user");
    EXPECT_EQ(GetValue(app + "\\Options\\Deep", "Wrap"), "1");
    EXPECT_EQ(GetValue(app, "File1"), "-");
    EXPECT_FALSE(Exists(app + "\\Other"));
    EXPECT_FALSE(Exists(kept));
}

TEST_F(KeptTest, WithoutSettingsOfTheUsersNoneAreLeft) {
    {
        zb::KeptSettings k(kAppKey, "ZbTestApp");
        ASSERT_TRUE(k.Clear());
        SetValue(app, "FrameRect", "run");
        k.Restore();
        EXPECT_FALSE(Exists(app));
        EXPECT_FALSE(Exists(kept));
        // Restoring twice changes nothing.
        SetValue(app, "FrameRect", "later");
    }
    EXPECT_EQ(GetValue(app, "FrameRect"), "later");
}

TEST_F(KeptTest, ACopyLeftByAnEndedLaunchIsGivenBackOnTheNextStart) {
    SetValue(app, "FrameRect", "user");
    {
        zb::KeptSettings k(kAppKey, "ZbTestApp");
        ASSERT_TRUE(k.Clear());
        SetValue(app, "FrameRect", "run");
        // Copy the kept key aside as a killed module would leave it.
        ASSERT_TRUE(zb::CopyKeyTree(HKEY_CURRENT_USER, kept, HKEY_CURRENT_USER, kept + "Dead"));
    }
    ASSERT_TRUE(zb::CopyKeyTree(HKEY_CURRENT_USER, kept + "Dead", HKEY_CURRENT_USER, kept));
    zb::DeleteKeyTree(HKEY_CURRENT_USER, kept + "Dead");
    SetValue(app, "FrameRect", "run");
    {
        zb::KeptSettings k(kAppKey, "ZbTestApp");
        EXPECT_EQ(GetValue(app, "FrameRect"), "user");
        EXPECT_FALSE(Exists(kept));
    }
    EXPECT_EQ(GetValue(app, "FrameRect"), "user");
}

// A Win32 console program is started without a console window; a DOS
// program (COMMAND.COM and XCOPY of Windows 9x), which the flag does not
// concern, without it.
TEST(ConsoleFlags, ByTheKindOfProgram) {
    EXPECT_EQ(zb::HiddenConsoleFlags(zb::FindProgram("cmd.exe")), DWORD(CREATE_NO_WINDOW));
    std::string dir = zb::TempDir() + "zbflags\\";
    ASSERT_TRUE(zb::MakeCleanDir(dir));
    std::string dos(512, '\0');
    dos[0] = 'M', dos[1] = 'Z', dos[0x3C] = 0x40;  // a DOS image: no "PE" where the header would be
    ASSERT_TRUE(zb::WriteFileBytes(dir + "DOS.COM", dos));
    EXPECT_EQ(zb::HiddenConsoleFlags(dir + "DOS.COM"), 0u);
    std::string beyond = dos;
    beyond[0x3D] = 0x7F;  // header offset beyond the file
    ASSERT_TRUE(zb::WriteFileBytes(dir + "FAR.EXE", beyond));
    EXPECT_EQ(zb::HiddenConsoleFlags(dir + "FAR.EXE"), 0u);
    EXPECT_EQ(zb::HiddenConsoleFlags(dir + "MISSING.EXE"), 0u);
    zb::RemoveTree(dir);
}

namespace {
FARPROC Nothing(const char*, const char*) { return nullptr; }
}  // namespace

// Edit positions follow the window's text kind; a USER32 without the query
// (Windows 95 may lack it) holds only ANSI windows.
TEST(Platform, UnicodeWindowAsksUser32AndTakesAMissingQueryForAnsi) {
    HWND wide = CreateWindowExW(0, L"EDIT", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND narrow = CreateWindowExA(0, "EDIT", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(wide && narrow);
    EXPECT_TRUE(zb::UnicodeWindow(wide));
    EXPECT_FALSE(zb::UnicodeWindow(narrow));
    zb::SetProcLookupForTest(&Nothing);
    EXPECT_FALSE(zb::UnicodeWindow(wide));
    zb::SetProcLookupForTest(nullptr);
    DestroyWindow(wide);
    DestroyWindow(narrow);
}
