// Starts the built ZELBR.EXE in a fresh program directory against a clean
// registry root, and offers the waits most GUI tests need.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
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
    HWND WaitMain(DWORD timeoutMs = 15000) {
        return gui::WaitWindow(program_.pid, "#32770", kTitle, timeoutMs);
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
    void CloseMain(HWND main) {
        gui::Click(main, IDOK);
        DWORD code = 1;
        EXPECT_TRUE(gui::WaitExit(program_, 10000, &code)) << "program did not end";
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
        gui::CaptureWindow(hwnd, DistDir() + "..\\screenshots\\" + name + ".png");
    }

    std::string dir_;
    gui::Program program_;
};

}  // namespace zelbr
