// The test module, launched as ZELBR launches modules: copied under a name
// of its own into a scratch program directory, with the hand-over values in
// ZELBR's registry root (saved before and put back after each test).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "zbmodule.h"

namespace {

const std::string kHandover = std::string(zb::kRootKey) + "\\" + zb::kHandoverKey;

struct Key {
    HKEY k = nullptr;
    explicit Key(const std::string& path) {
        DWORD disp;
        RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                        &disp);
    }
    ~Key() {
        if (k) RegCloseKey(k);
    }
    void Set(const char* name, DWORD v) {
        RegSetValueExA(k, name, 0, REG_DWORD, (const BYTE*)&v, 4);
    }
    void SetText(const char* name, const std::string& v) {
        RegSetValueExA(k, name, 0, REG_SZ, (const BYTE*)v.c_str(), DWORD(v.size() + 1));
    }
    bool Get(const char* name, std::string* out) {
        char buf[512];
        DWORD size = sizeof buf;
        if (RegQueryValueExA(k, name, nullptr, nullptr, (BYTE*)buf, &size) != ERROR_SUCCESS)
            return false;
        out->assign(buf, size);
        return true;
    }
    std::string Text(const char* name) {
        std::string s;
        if (!Get(name, &s)) return "";
        return s.substr(0, s.find('\0'));
    }
    DWORD Dword(const char* name) {
        std::string s;
        return Get(name, &s) && s.size() == 4 ? *reinterpret_cast<const DWORD*>(s.data())
                                              : 0xFFFFFFFFu;
    }
};

// Receives the end messages, as ZELBR's main window does.
struct EndWindow {
    EndWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZbTestModEnd";
        RegisterClassA(&wc);
        hwnd = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             wc.hInstance, nullptr);
    }
    ~EndWindow() { DestroyWindow(hwnd); }
    HWND hwnd;
};

struct Outcome {
    bool started = false;
    bool exited = false;
    DWORD exitCode = 0;
    std::vector<WPARAM> ends;
};

class TestModule : public testing::Test {
  protected:
    void SetUp() override {
        char dir[MAX_PATH];
        DWORD n = GetEnvironmentVariableA("ZB_TESTBIN", dir, sizeof dir);
        ASSERT_TRUE(n > 0 && n < sizeof dir) << "ZB_TESTBIN names the folder of TESTMOD.BNC";
        source = std::string(dir) + "TESTMOD.BNC";
        ASSERT_NE(GetFileAttributesA(source.c_str()), INVALID_FILE_ATTRIBUTES) << source;
        // A folder per test: a crashed module's file may stay locked a moment.
        static int s_count = 0;
        progDir = zb::TempDir() + "zbtestmod-" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(++s_count) + "\\";
        ASSERT_TRUE(zb::MakeCleanDir(progDir));
        Key h(kHandover);
        for (const char* v : {"Count", "hWnd", "Suspension"}) {
            std::string data;
            saved.push_back({v, h.Get(v, &data), data});
        }
        h.Set("Suspension", 0);
    }
    void TearDown() override {
        Key h(kHandover);
        for (const Saved& s : saved) {
            if (s.had)
                RegSetValueExA(h.k, s.name, 0, REG_DWORD, (const BYTE*)s.data.data(),
                               DWORD(s.data.size()));
            else
                RegDeleteValueA(h.k, s.name);
        }
        for (const std::string& base : bases) {
            zb::DeleteKeyTree(HKEY_CURRENT_USER, std::string(zb::kRootKey) + "\\Bench\\" + base);
            zb::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\ZelbrTests\\Module\\" + base);
        }
        // A crashed module's file stays in use until the crash is handled.
        for (int i = 0; i < 100 && !zb::RemoveTree(progDir); ++i) Sleep(50);
    }

    // A fresh base name, unique to this test program.
    std::string Base(const char* tag) {
        std::string base = std::string("ZT") + std::to_string(GetCurrentProcessId() % 10000) + tag;
        bases.push_back(base);
        zb::DeleteKeyTree(HKEY_CURRENT_USER, std::string(zb::kRootKey) + "\\Bench\\" + base);
        zb::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\ZelbrTests\\Module\\" + base);
        return base;
    }
    Key Settings(const std::string& base) { return Key("Software\\ZelbrTests\\Module\\" + base); }

    // One launch with "Count" = count; whileRunning runs once the process is up.
    template <class F>
    Outcome Launch(const std::string& base, DWORD count, F whileRunning) {
        Outcome o;
        std::string path = progDir + base + ".BNC";
        CopyFileA(source.c_str(), path.c_str(), FALSE);
        {
            Key h(kHandover);
            h.Set("Count", count);
            h.Set("hWnd", DWORD(reinterpret_cast<uintptr_t>(w.hwnd)));
            RegFlushKey(h.k);
        }
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi;
        if (!CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &si, &pi))
            return o;
        o.started = true;
        CloseHandle(pi.hThread);
        whileRunning();
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 90000) {
            if (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 100, QS_ALLINPUT) ==
                WAIT_OBJECT_0) {
                o.exited = true;
                break;
            }
            Collect(&o);
        }
        Collect(&o);
        if (!o.exited) TerminateProcess(pi.hProcess, 1);
        GetExitCodeProcess(pi.hProcess, &o.exitCode);
        CloseHandle(pi.hProcess);
        return o;
    }
    Outcome Launch(const std::string& base, DWORD count) {
        return Launch(base, count, [] {});
    }
    void Collect(Outcome* o) {
        MSG msg;
        while (PeekMessageA(&msg, w.hwnd, zb::kEndMessage, zb::kEndMessage, PM_REMOVE))
            o->ends.push_back(msg.wParam);
    }
    bool Record(const std::string& base, zb::Record* r) {
        zb::Place p;
        p.base = base;
        return zb::ReadRecord(p, r);
    }
    std::string RawRecord(const std::string& base) {
        std::string s;
        Key(std::string(zb::kRootKey) + "\\Bench\\" + base).Get("Result", &s);
        return s;
    }

    struct Saved {
        const char* name;
        bool had;
        std::string data;
    };
    std::vector<Saved> saved;
    std::vector<std::string> bases;
    std::string source, progDir;
    EndWindow w;
};

using Ends = std::vector<WPARAM>;

}  // namespace

TEST_F(TestModule, NormalStoresItsValueForEachCountAndLeavesATrace) {
    std::string base = Base("N");
    Settings(base).SetText("Behaviour", "normal");
    Settings(base).Set("Value", 1234);
    Settings(base).Set("Reference", 777);
    Outcome o = Launch(base, 0);
    ASSERT_TRUE(o.exited);
    EXPECT_EQ(o.ends, Ends{0});
    o = Launch(base, 1);
    EXPECT_EQ(o.ends, Ends{0});
    zb::Record r;
    ASSERT_TRUE(Record(base, &r));
    EXPECT_TRUE(zb::RecordValid(r));
    EXPECT_EQ(r.runsStored, 2u);
    EXPECT_EQ(r.reference, 777u);
    EXPECT_EQ(r.values[0], 1234u);
    EXPECT_EQ(r.values[1], 1234u);
    // Run 2 skipped: run 3 has no place to go and leaves the record alone.
    o = Launch(base, 3);
    EXPECT_EQ(o.ends, Ends{2});
    ASSERT_TRUE(Record(base, &r));
    EXPECT_EQ(r.runsStored, 2u);
    EXPECT_EQ(r.values[3], 0u);
    EXPECT_EQ(Settings(base).Text("Launches"), "0,1,3");
    EXPECT_EQ(Settings(base).Dword("LastHwnd"), DWORD(reinterpret_cast<uintptr_t>(w.hwnd)));
}

TEST_F(TestModule, WithoutSettingsItIsNormalWithDefaults) {
    std::string base = Base("D");
    Outcome o = Launch(base, 0);
    EXPECT_EQ(o.ends, Ends{0});
    zb::Record r;
    ASSERT_TRUE(Record(base, &r));
    EXPECT_EQ(r.reference, 1000u);
    EXPECT_EQ(r.values[0], 1000u);
    EXPECT_EQ(Settings(base).Text("Launches"), "0");
    // A count the record has no place for ends early.
    o = Launch(base, 10);
    EXPECT_EQ(o.ends, Ends{2});
    EXPECT_EQ(Settings(base).Text("Launches"), "0,10");
}

TEST_F(TestModule, EarlyTwiceMalformedAndBadSum) {
    std::string early = Base("E"), twice = Base("T"), malformed = Base("M"), badsum = Base("B");
    Settings(early).SetText("Behaviour", "early");
    Settings(twice).SetText("Behaviour", "twice");
    Settings(malformed).SetText("Behaviour", "malformed");
    Settings(badsum).SetText("Behaviour", "badsum");

    EXPECT_EQ(Launch(early, 0).ends, Ends{1});
    zb::Record r;
    EXPECT_FALSE(Record(early, &r));

    EXPECT_EQ(Launch(twice, 0).ends, (Ends{0, 0}));
    ASSERT_TRUE(Record(twice, &r));
    EXPECT_TRUE(zb::RecordValid(r));

    EXPECT_EQ(Launch(malformed, 0).ends, Ends{0});
    EXPECT_EQ(RawRecord(malformed).size(), 40u);

    EXPECT_EQ(Launch(badsum, 0).ends, Ends{0});
    ASSERT_TRUE(Record(badsum, &r));
    EXPECT_FALSE(zb::RecordValid(r));
    r.checkSum -= 1;
    EXPECT_TRUE(zb::RecordValid(r));
    EXPECT_EQ(r.values[0], 1000u);
}

TEST_F(TestModule, CrashEndsWithAnAccessViolationAndNoMessage) {
    std::string base = Base("C");
    Settings(base).SetText("Behaviour", "crash");
    Outcome o = Launch(base, 0);
    ASSERT_TRUE(o.exited);
    EXPECT_TRUE(o.ends.empty());
    EXPECT_EQ(o.exitCode, DWORD(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_EQ(Settings(base).Text("Launches"), "0");
}

TEST_F(TestModule, NeverAndWaitGiveUpWhenSuspended) {
    std::string never = Base("V"), wait = Base("W"), quick = Base("Q");
    Settings(never).SetText("Behaviour", "never");
    Settings(wait).SetText("Behaviour", "wait");
    Settings(wait).Set("DelayMs", 60000);
    Settings(quick).SetText("Behaviour", "wait");
    Settings(quick).Set("DelayMs", 50);
    Settings(quick).Set("Value", 4321);

    auto suspendOnceTraced = [&](const std::string& base) {
        return [this, base] {
            // Once the module has read its settings, the user aborts.
            for (int i = 0; i < 3000 && Settings(base).Text("Launches").empty(); ++i) Sleep(10);
            Key(kHandover).Set("Suspension", 1);
        };
    };
    Outcome o = Launch(never, 0, suspendOnceTraced(never));
    EXPECT_TRUE(o.exited);
    EXPECT_TRUE(o.ends.empty());
    zb::Record r;
    EXPECT_FALSE(Record(never, &r));

    Key(kHandover).Set("Suspension", 0);
    o = Launch(wait, 0, suspendOnceTraced(wait));
    EXPECT_TRUE(o.exited);
    EXPECT_EQ(o.ends, Ends{1});
    EXPECT_FALSE(Record(wait, &r));

    Key(kHandover).Set("Suspension", 0);
    o = Launch(quick, 0);
    EXPECT_EQ(o.ends, Ends{0});
    ASSERT_TRUE(Record(quick, &r));
    EXPECT_EQ(r.values[0], 4321u);
}

// The bundled modules whose checks read back what their target did: a first
// run against the real target completes (the checks match what it does),
// and a later run without it ends early.
TEST_F(TestModule, BundledModulesCheckTheirWorkloadAndComplete) {
    char dist[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("ZB_DIST", dist, sizeof dist);
    ASSERT_TRUE(n > 0 && n < sizeof dist) << "ZB_DIST names the program directory";
    // What the user's Notepad remembers is the same after the runs.
    const std::string notepadKey = "Software\\Microsoft\\Notepad";
    Key(notepadKey).Set("iWindowPosX", 123);
    Key(notepadKey).Set("ZbMarker", 7);
    for (const char* name : {"WORDPAD", "NOTEPAD", "BATCH", "GDIDRAW", "REGEDIT", "FILECOPY"}) {
        SCOPED_TRACE(name);
        source = std::string(dist) + "\\" + name + ".BNC";
        std::string base = Base(name);
        Outcome o = Launch(base, 0);
        EXPECT_EQ(o.ends, Ends{0});
        Key bench(std::string(zb::kRootKey) + "\\Bench\\" + base);
        EXPECT_EQ(bench.Text("Reason"), "");
        zb::Record r;
        ASSERT_TRUE(Record(base, &r));
        EXPECT_GT(r.values[0], 0u);
        o = Launch(base, 2);
        EXPECT_EQ(o.ends, Ends{2});
        EXPECT_NE(bench.Text("Reason").find("run 2"), std::string::npos) << bench.Text("Reason");
    }
    EXPECT_EQ(Key(notepadKey).Dword("iWindowPosX"), 123u);
    EXPECT_EQ(Key(notepadKey).Dword("ZbMarker"), 7u);
    Key(notepadKey).Set("ZbMarker", 0);
    RegDeleteValueA(Key(notepadKey).k, "ZbMarker");
}
