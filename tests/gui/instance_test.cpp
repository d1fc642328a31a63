// Start-ups that end before the main window: another copy's mutex, and a
// registry that will not take the program's keys.
#include "../../res/resource.h"
#include "zelbr_fixture.h"

using namespace zelbr;

namespace {

// Waits for the program to end, noting whether any window of it showed.
bool EndsWithoutWindow(gui::Program& program, bool* sawWindow) {
    *sawWindow = false;
    bool ended = gui::WaitFor([&] {
        if (!gui::TopWindows(program.pid).empty()) *sawWindow = true;
        return WaitForSingleObject(program.process, 0) == WAIT_OBJECT_0;
    }, 15000, 5);
    return ended;
}

// The platform icon a message box shows: the standard icon that, drawn
// here on the box's background, matches most of the icon's pixels.
const char* ShownIcon(HWND box) {
    HWND icon = nullptr;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (gui::ClassName(c) == "Static" && (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) icon = c;
    if (!icon) return "none";
    gui::Image shown = gui::Grab(icon, false);
    if (shown.empty()) return "none";
    const std::pair<LPCSTR, const char*> kinds[] = {
        {IDI_HAND, "stop"}, {IDI_EXCLAMATION, "exclamation"}, {IDI_ASTERISK, "information"}, {IDI_QUESTION, "question"}};
    const char* best = "none";
    int bestMatches = 0;
    HDC screen = GetDC(nullptr);
    for (const auto& kind : kinds) {
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, shown.w, shown.h);
        HGDIOBJ old = SelectObject(dc, bmp);
        RECT all{0, 0, shown.w, shown.h};
        HBRUSH back = CreateSolidBrush(shown.At(0, 0));
        FillRect(dc, &all, back);
        DeleteObject(back);
        DrawIconEx(dc, 0, 0, LoadIconA(nullptr, kind.first), 0, 0, 0, nullptr, DI_NORMAL);
        int matches = 0;
        for (int y = 0; y < shown.h; ++y)
            for (int x = 0; x < shown.w; ++x)
                if (GetPixel(dc, x, y) == shown.At(x, y)) ++matches;
        if (matches > bestMatches) {
            bestMatches = matches;
            best = kind.second;
        }
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    ReleaseDC(nullptr, screen);
    return best;
}

}  // namespace

TEST_F(ZelbrTest, RunningCopysMutexEndsTheProgramAtOnceOtherNamesDoNot) {
    MarkNotFirstStart();
    // Another copy, as the program sees it: the mutex exists.
    HANDLE other = CreateMutexA(nullptr, FALSE, "ORVANEzelBrPrevInstance");
    ASSERT_TRUE(other);
    Start();
    bool sawWindow = true;
    EXPECT_TRUE(EndsWithoutWindow(program_, &sawWindow)) << "program did not end";
    EXPECT_FALSE(sawWindow) << "no window, no message";
    CloseHandle(other);

    // The name is matched exactly.
    for (const char* name : {"ORVANEZELBRPREVINSTANCE", "ORVANEzelBrPrevInstance2"}) {
        HANDLE unrelated = CreateMutexA(nullptr, FALSE, name);
        ASSERT_TRUE(unrelated);
        HWND main = StartMain();
        EXPECT_TRUE(main) << name;
        if (main) CloseMain(main);
        CloseHandle(unrelated);
    }
}

// Wine refuses a lasting key below a volatile one, which makes the
// program's keys impossible to create.
class RegistryFailureTest : public ZelbrTest {
protected:
    static constexpr const char* kTravik = "Software\\Orvane\\Travik";
    void TearDown() override {
        ZelbrTest::TearDown();
        gui::RegDeleteTree(kTravik);
    }
    static bool MakeVolatile(const char* path) {
        HKEY k = nullptr;
        DWORD disp = 0;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            &k, &disp) != ERROR_SUCCESS)
            return false;
        RegCloseKey(k);
        return disp == REG_CREATED_NEW_KEY;
    }
    // The fatal message: its text, stop icon, and the program ending after OK.
    void ExpectFatal(const std::string& text) {
        HWND box = gui::WaitMessageBox(program_.pid, 15000);
        ASSERT_TRUE(box) << "no message";
        EXPECT_EQ(gui::MessageBoxText(box), text);
        EXPECT_EQ(gui::WindowText(box), "ZELBR");
        EXPECT_STREQ(ShownIcon(box), "stop");
        SaveShot(box, "registry_failure");
        gui::Answer(box, IDOK);
        EXPECT_TRUE(gui::WaitExit(program_, 10000)) << "program did not end";
    }
};

TEST_F(RegistryFailureTest, RootKeyThatCannotBeCreatedStopsTheStart) {
    ASSERT_TRUE(gui::RegDeleteTree(kTravik));
    ASSERT_TRUE(MakeVolatile(kTravik));
    Start();
    ExpectFatal("CreateRootKey() 正常にレジストリの操作ができません。\nアプリケーション ベンチマークの起動を中止します。");
    EXPECT_FALSE(gui::RegKeyExists(kRoot));
}

TEST_F(RegistryFailureTest, SettingsKeyThatCannotBeCreatedStopsTheStart) {
    ASSERT_TRUE(gui::RegWriteDword(kRoot, "Probe", 1));  // an existing root: not a first start
    ASSERT_TRUE(MakeVolatile((std::string(kRoot) + "\\Ini").c_str()));
    Start();
    ExpectFatal("IniMenberVariable() 正常にレジストリの操作ができません。\nアプリケーション ベンチマークの起動を中止します。");
    EXPECT_FALSE(gui::RegKeyExists(kIni));
}

// Two copies started at the same moment, again and again: each time one of
// them ends by itself, as a second copy does, and the other shows the main
// window.
TEST_F(ZelbrTest, CopiesStartedTogetherShowOneWindow) {
    MarkNotFirstStart();
    const int kRounds = 12;
    for (int round = 0; round < kRounds; ++round) {
        gui::Program first = gui::Start(dir_ + "ZELBR.EXE");
        gui::Program second = gui::Start(dir_ + "ZELBR.EXE");
        ASSERT_TRUE(first.ok() && second.ok());
        gui::Program* ended = nullptr;
        ASSERT_TRUE(gui::WaitFor([&] {
            for (gui::Program* p : {&first, &second})
                if (WaitForSingleObject(p->process, 0) == WAIT_OBJECT_0) ended = p;
            return ended != nullptr;
        }, 20000)) << "round " << round << " of " << kRounds << ": two copies run";
        gui::Program* running = ended == &first ? &second : &first;
        HWND main = gui::WaitWindow(running->pid, "#32770", kTitle, 15000);
        ASSERT_TRUE(main) << "round " << round << ": the copy that stayed shows no window";
        EXPECT_EQ(WaitForSingleObject(running->process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
        WaitForInputIdle(running->process, 5000);
        gui::Click(main, IDOK);
        EXPECT_TRUE(gui::WaitExit(*running, 10000)) << "round " << round;
    }
}
