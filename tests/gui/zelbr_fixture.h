// Starts the built ZELBR.EXE in a fresh program directory against a clean
// registry root, and offers the waits most GUI tests need.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "../driver/gui_driver.h"

namespace zelbr {

const char kRoot[] = "Software\\Orvane\\Travik\\zelBr";
const char kIni[] = "Software\\Orvane\\Travik\\zelBr\\Ini\\zelBr";
const char kProduct[] = "Software\\Orvane\\Travik\\zelBr\\Ini\\Product";
const char kTitle[] = "ｸﾛﾉﾗﾝ";
const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\ZELBR.EXE";

inline std::string DistDir() {
    char buf[MAX_PATH] = {};
    GetEnvironmentVariableA("ZELBR_DIST", buf, sizeof buf);
    std::string dir = buf;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir;
}

// Where the test module and its description file are built.
inline std::string TestBinDir() {
    char buf[MAX_PATH] = {};
    GetEnvironmentVariableA("ZELBR_TESTBIN", buf, sizeof buf);
    std::string dir = buf;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir;
}

inline std::string ModuleKey(const std::string& base) { return "Software\\ZelbrTests\\Module\\" + base; }

inline std::vector<uint8_t> Bytes(const void* p, size_t n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    return std::vector<uint8_t>(b, b + n);
}

inline std::vector<int32_t> PositionFields(const std::vector<uint8_t>& raw) {
    std::vector<int32_t> f(6);
    if (raw.size() == 24) std::memcpy(f.data(), raw.data(), 24);
    return f;
}

inline std::vector<uint8_t> PositionBytes(int32_t mode, int32_t ex, int32_t ey, int32_t sx, int32_t sy,
                                          int32_t keep) {
    int32_t f[6] = {mode, ex, ey, sx, sy, keep};
    return Bytes(f, sizeof f);
}

// A file's bytes as they are on disk; "<missing>" when it cannot be read.
inline std::string ReadFileBytes(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    std::string s(1 << 16, '\0');
    DWORD got = 0;
    ReadFile(f, &s[0], static_cast<DWORD>(s.size()), &got, nullptr);
    CloseHandle(f);
    s.resize(got);
    return s;
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(f);
}

inline RECT WorkArea() {
    RECT r;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

class ZelbrTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(DistDir().empty()) << "ZELBR_DIST is not set";
        gui::RegDeleteTree(kRoot);
        gui::RegDeleteTree(kAppDefaults);
        gui::RegDeleteTree("Software\\ZelbrTests\\Module");
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = gui::MakeProgramDir(std::string(info->test_suite_name()) + "." + info->name());
        ASSERT_FALSE(dir_.empty());
        ASSERT_TRUE(gui::CopyInto(dir_, DistDir() + "ZELBR.EXE"));
    }
    void TearDown() override {
        program_.Close();
        gui::RegDeleteTree(kAppDefaults);
    }

    // An existing root key: the program starts as on any later day.
    static void MarkNotFirstStart() { gui::RegWriteDword(kIni, "Precision", 1); }

    void Start() {
        program_ = gui::Start(dir_ + "ZELBR.EXE");
        ASSERT_TRUE(program_.ok());
    }
    // The main window, once the program waits for input: Wine shows a modal
    // dialog again (restoring it) the first time its queue runs empty.
    HWND WaitMain(DWORD timeoutMs = 15000) {
        HWND main = gui::WaitWindow(program_.pid, "#32770", kTitle, timeoutMs);
        if (main) WaitForInputIdle(program_.process, 5000);
        return main;
    }
    // Starts on a prepared root and waits for the main window.
    HWND StartMain() {
        Start();
        HWND main = WaitMain();
        EXPECT_TRUE(main) << "main window did not appear";
        return main;
    }
    // A modal dialog of the program with that caption.
    HWND WaitDialog(const char* caption) { return gui::WaitWindow(program_.pid, "#32770", caption, 10000); }
    // The dialog a button of the main window opens, once it takes input;
    // null when the button cannot be pressed or nothing opens.
    HWND OpenDialog(HWND main, int button, const char* caption) {
        if (!gui::Click(main, button)) return nullptr;
        HWND dlg = WaitDialog(caption);
        if (dlg) WaitForInputIdle(program_.process, 3000);
        return dlg;
    }
    // Types a path into the platform's file dialog and presses its OK.
    static void AnswerFileDialog(HWND dlg, const std::string& path) {
        HWND nameBox = GetDlgItem(dlg, 0x47c);  // the file name combo box
        SetWindowTextA(nameBox ? nameBox : GetDlgItem(dlg, 0x480), path.c_str());
        gui::Click(dlg, IDOK);
    }
    void CloseMain(HWND main) {
        // A box just answered may still hold the window disabled for a moment.
        if (!gui::WaitFor([&] { return gui::Click(main, IDOK); }, 10000)) {
            ADD_FAILURE() << "the close button cannot be clicked (hidden or disabled)";
            return;
        }
        DWORD code = 1;
        if (gui::WaitExit(program_, 10000, &code)) return;
        HWND box = gui::WaitMessageBox(program_.pid, 0);
        ADD_FAILURE() << "program did not end" << (box ? ", a box asks: " + gui::MessageBoxText(box) : "");
    }
    std::vector<uint8_t> Value(const char* key, const char* name, DWORD* type = nullptr) {
        std::vector<uint8_t> data;
        if (!gui::RegRead(key, name, &data, type)) data.clear();
        return data;
    }
    // Lets the program finish painting before pixels are read.
    static void Settle(HWND hwnd) {
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        DWORD_PTR ignored;
        SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
        Sleep(200);
    }
    static gui::Image GrabSettled(HWND hwnd, bool clientOnly) {
        Settle(hwnd);
        return gui::Grab(hwnd, clientOnly);
    }
    void SaveShot(HWND hwnd, const std::string& name) {
        Settle(hwnd);
        CreateDirectoryA((DistDir() + "..\\screenshots").c_str(), nullptr);
        // A run on a screen of another depth keeps its own pictures.
        char depth[8] = {};
        std::string suffix = GetEnvironmentVariableA("ZELBR_SCREEN_DEPTH", depth, sizeof depth)
                                 ? std::string("_depth") + depth
                                 : std::string();
        gui::CaptureWindow(hwnd, DistDir() + "..\\screenshots\\" + name + suffix + ".png");
    }

    // The test module copied in as <base>.BNC with its description file,
    // behaving as told.
    void AddModule(const std::string& base, const char* behaviour = "normal", DWORD value = 1000,
                   DWORD reference = 1000, DWORD delayMs = 0) {
        ASSERT_TRUE(gui::CopyInto(dir_, TestBinDir() + "TESTMOD.BNC", base + ".BNC"));
        ASSERT_TRUE(gui::CopyInto(dir_, TestBinDir() + "TESTMOD.MCR", base + ".MCR"));
        gui::RegWriteString(ModuleKey(base), "Behaviour", behaviour);
        gui::RegWriteDword(ModuleKey(base), "Value", value);
        gui::RegWriteDword(ModuleKey(base), "Reference", reference);
        gui::RegWriteDword(ModuleKey(base), "DelayMs", delayMs);
    }
    static void AddCatalogue(int index, const std::string& file, DWORD select = 1) {
        char key[96];
        snprintf(key, sizeof key, "%s\\Measure\\%04d", kRoot, index);
        gui::RegWriteString(key, "File", file);
        gui::RegWriteDword(key, "Select", select);
    }
    // Normal modules, catalogued and selected in this order from entry 0.
    void AddItems(std::initializer_list<const char*> bases) {
        int index = 0;
        for (const char* base : bases) {
            AddModule(base);
            AddCatalogue(index++, std::string(base) + ".BNC");
        }
    }
    static std::string Launches(const std::string& base) {
        std::string s;
        gui::RegReadString(ModuleKey(base), "Launches", &s);
        return s;
    }
    // Settings for a run: run count and option byte.
    static void Settings(DWORD runCount, BYTE flag) {
        gui::RegWriteDword(kIni, "Precision", runCount);
        gui::RegWriteBinary(kIni, "Flag", {flag});
    }
    // A measurement started from a click: the window goes down, then comes back.
    static bool WaitRunEnded(HWND main, DWORD timeoutMs = 30000) {
        return WaitIconic(main) && WaitRestored(main, timeoutMs);
    }
    static bool WaitRestored(HWND main, DWORD timeoutMs = 30000) {
        return gui::WaitFor([&] { return !IsIconic(main); }, timeoutMs, 50);
    }
    static bool WaitIconic(HWND main, DWORD timeoutMs = 10000) {
        return gui::WaitFor([&] { return IsIconic(main) != FALSE; }, timeoutMs, 10);
    }
    // Answers the next message box, returning its text ("" when none came).
    std::string AnswerBox(int button = IDOK, DWORD timeoutMs = 15000) {
        HWND box = gui::WaitMessageBox(program_.pid, timeoutMs);
        if (!box) return std::string();
        std::string text = gui::MessageBoxText(box);
        gui::Answer(box, button);
        gui::WaitGone(box, 5000);
        return text;
    }

    std::string dir_;
    gui::Program program_;
};

}  // namespace zelbr
