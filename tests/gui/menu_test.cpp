// The main window's own system-menu entries, and the ways of closing it.
#include "../../res/resource.h"
#include "zelbr_fixture.h"

using namespace zelbr;

namespace {

RECT WindowRect(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r;
}

}  // namespace

class MenuTest : public ZelbrTest {
protected:
    // Visible windows of the program other than the main window.
    std::vector<HWND> Others(HWND main) {
        std::vector<HWND> others;
        for (HWND w : gui::TopWindows(program_.pid))
            if (w != main) others.push_back(w);
        return others;
    }
    // Closes whatever the program opened besides the main window.
    void DismissOthers(HWND main) {
        for (HWND w : Others(main)) {
            gui::PressKey(w, VK_ESCAPE);
            gui::WaitGone(w, 5000);
        }
    }
};

TEST_F(MenuTest, EachEntryOpensItsOwnDialog) {
    MarkNotFirstStart();
    HWND main = StartMain();
    ASSERT_TRUE(main);
    const std::pair<WPARAM, const char*> entries[] = {
        {0x10, "クロノランのバージョン情報"},
        {0x20, "ZELBR"},  // the question before copying
        {0x30, "ﾃｷｽﾄﾌｧｲﾙで保存"},
        {0x40, "システム情報の編集"},
        {0x50, "測定項目の編集"},
        {0x80, "測定精度の選択"},
        {0x90, "警告の設定"},
        {0x60, "測定項目の保存"},
        {0x70, "測定項目の呼び出し"},
        {0xA0, "起動時の表示位置の設定"},
        {0xB0, "表示モードの選択"},
    };
    for (const auto& e : entries) {
        gui::SysCommand(main, e.first);
        HWND dlg = WaitDialog(e.second);
        EXPECT_TRUE(dlg) << std::hex << e.first;
        // Exactly that dialog and nothing else.
        std::vector<HWND> others = Others(main);
        EXPECT_EQ(others.size(), 1u) << std::hex << e.first;
        for (HWND w : others) EXPECT_EQ(gui::WindowText(w), e.second) << std::hex << e.first;
        DismissOthers(main);
        ASSERT_TRUE(Others(main).empty()) << std::hex << e.first;
    }
    CloseMain(main);
}

TEST_F(MenuTest, EscapeAndCloseEntryStoreTheExitPosition) {
    gui::RegWriteBinary(kIni, "Position", PositionBytes(1, 10, 10, 77, 66, 0));
    struct Way {
        const char* name;
        void (*close)(HWND);
        POINT at;
    };
    const Way ways[] = {
        {"Esc", [](HWND main) { gui::PressKey(main, VK_ESCAPE); }, {230, 140}},
        {"SC_CLOSE", [](HWND main) { gui::SysCommand(main, SC_CLOSE); }, {190, 170}},
    };
    for (const Way& way : ways) {
        HWND main = StartMain();
        ASSERT_TRUE(main) << way.name;
        SetWindowPos(main, nullptr, way.at.x, way.at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(gui::WaitFor([&] { return WindowRect(main).left == way.at.x; }, 3000));
        way.close(main);
        EXPECT_TRUE(gui::WaitExit(program_, 10000)) << way.name;
        EXPECT_EQ(PositionFields(Value(kIni, "Position")),
                  (std::vector<int32_t>{1, way.at.x, way.at.y, 77, 66, 0}))
            << way.name;
    }
}
