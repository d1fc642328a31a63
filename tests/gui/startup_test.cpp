#include "../../res/resource.h"
#include "zelbr_fixture.h"

#include <commctrl.h>
#include <tlhelp32.h>

using namespace zelbr;

TEST_F(ZelbrTest, FirstStartRecordsEverythingThenLaterStartsDoNot) {
    Start();
    HWND box = gui::WaitMessageBox(program_.pid, 15000);
    ASSERT_TRUE(box) << "first-start notice missing";
    EXPECT_EQ(gui::WindowText(box), "ZELBR");
    EXPECT_EQ(gui::MessageBoxText(box),
              "ご使用になられる前に必ずヘルプ\nファイルをお読みください。\n"
              "ヘルプファイルが正式なマニュアル\nになっております。");
    gui::Answer(box, IDOK);
    HWND main = WaitMain();
    ASSERT_TRUE(main);

    DWORD type = 0;
    std::vector<uint8_t> productFirst = Value(kProduct, "FirstTime", &type);
    EXPECT_EQ(productFirst.size(), 8u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(Value(kIni, "FirstTime"), productFirst);
    for (const char* key : {kProduct, kIni}) {
        std::vector<uint8_t> version = Value(key, "Version", &type);
        ASSERT_EQ(version.size(), 8u) << key;
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        // 1.0.0.5: major/minor word first, then build/revision.
        EXPECT_EQ(version, (std::vector<uint8_t>{0, 0, 1, 0, 5, 0, 0, 0})) << key;
        EXPECT_EQ(Value(key, "VerUpTime").size(), 8u) << key;
    }
    std::vector<uint8_t> precision = Value(kIni, "Precision", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(precision, (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(Value(kIni, "Flag", &type), std::vector<uint8_t>{7});
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    std::vector<int32_t> pos = PositionFields(Value(kIni, "Position"));
    EXPECT_EQ(pos[0], 0);
    EXPECT_EQ(pos[5], 1);

    // Centred in the work area.
    RECT r, work = WorkArea();
    GetWindowRect(main, &r);
    EXPECT_NEAR((r.left + r.right) / 2, (work.left + work.right) / 2, 2);
    EXPECT_NEAR((r.top + r.bottom) / 2, (work.top + work.bottom) / 2, 2);
    SaveShot(main, "main_compact");
    CloseMain(main);

    // Second start: no notice, no new first-start time.
    Start();
    main = WaitMain();
    ASSERT_TRUE(main);
    EXPECT_FALSE(gui::WaitMessageBox(program_.pid, 300));
    EXPECT_EQ(Value(kProduct, "FirstTime"), productFirst);
    EXPECT_EQ(Value(kIni, "FirstTime"), productFirst);
    CloseMain(main);
}

TEST_F(ZelbrTest, NewerStoredVersionStaysAndIsShownInAboutBox) {
    const uint32_t newer[2] = {0x00020003, 0};
    gui::RegWriteBinary(kProduct, "Version", Bytes(newer, 8));
    gui::RegWriteBinary(kIni, "Version", Bytes(newer, 8));
    HWND main = StartMain();
    ASSERT_TRUE(main);
    EXPECT_EQ(Value(kProduct, "Version"), Bytes(newer, 8));
    EXPECT_EQ(Value(kIni, "Version"), Bytes(newer, 8));
    EXPECT_TRUE(Value(kProduct, "VerUpTime").empty());
    EXPECT_TRUE(Value(kIni, "VerUpTime").empty());

    ASSERT_TRUE(gui::Click(main, IDC_ABOUT));
    HWND about = WaitDialog("クロノランのバージョン情報");
    ASSERT_TRUE(about);
    EXPECT_EQ(gui::ControlText(about, IDC_ABOUT_VERSION), "ZELBR ﾊﾞｰｼﾞｮﾝ 2.03");
    SaveShot(about, "about");
    gui::Click(about, IDOK);
    EXPECT_TRUE(gui::WaitGone(about));
    CloseMain(main);
}

TEST_F(ZelbrTest, MalformedSettingsAreReplacedByDefaults) {
    gui::RegWriteBinary(kIni, "Precision", {10, 0});
    gui::RegWriteBinary(kIni, "Flag", {0x0F, 0});
    gui::RegWriteBinary(kIni, "Position", {1, 2, 3});
    gui::RegWriteBinary(kProduct, "Version", {9, 9, 9});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    EXPECT_EQ(Value(kIni, "Precision"), (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(Value(kIni, "Flag"), std::vector<uint8_t>{7});
    std::vector<int32_t> pos = PositionFields(Value(kIni, "Position"));
    EXPECT_EQ(pos[0], 0);
    EXPECT_EQ(pos[5], 1);
    EXPECT_EQ(Value(kProduct, "Version").size(), 8u);
    CloseMain(main);
}

TEST_F(ZelbrTest, SecondCopyEndsSilently) {
    MarkNotFirstStart();
    HWND main = StartMain();
    ASSERT_TRUE(main);
    gui::Program second = gui::Start(dir_ + "ZELBR.EXE");
    ASSERT_TRUE(second.ok());
    DWORD code = 99;
    EXPECT_TRUE(gui::WaitExit(second, 10000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(gui::TopWindows(second.pid).empty());
    EXPECT_TRUE(IsWindow(main));
    CloseMain(main);
}

TEST_F(ZelbrTest, OtherPlatformAsksAndYesEndsNoGoesOn) {
    MarkNotFirstStart();
    gui::RegWriteString(kAppDefaults, "Version", "winxp");
    Start();
    HWND box = gui::WaitMessageBox(program_.pid, 15000);
    ASSERT_TRUE(box);
    EXPECT_EQ(gui::MessageBoxText(box), "OS が Windows 95 ではありません。\n起動を中止しますか？");
    gui::Answer(box, IDYES);
    EXPECT_TRUE(gui::WaitExit(program_, 10000));
    EXPECT_FALSE(gui::RegKeyExists(kProduct)) << "nothing may start after Yes";

    Start();
    box = gui::WaitMessageBox(program_.pid, 15000);
    ASSERT_TRUE(box);
    gui::Answer(box, IDNO);
    HWND main = WaitMain();
    ASSERT_TRUE(main);
    CloseMain(main);
}

TEST_F(ZelbrTest, SystemMenuHoldsTheToolEntriesInOrder) {
    MarkNotFirstStart();
    HWND main = StartMain();
    ASSERT_TRUE(main);
    std::vector<gui::MenuItem> items = gui::SystemMenuItems(main);
    ASSERT_FALSE(items.empty());
    for (const gui::MenuItem& m : items) {
        EXPECT_NE(m.id, static_cast<UINT>(SC_SIZE));
        EXPECT_NE(m.id, static_cast<UINT>(SC_MAXIMIZE));
    }
    // Our entries follow the platform's, from the first of our separators.
    const std::vector<std::pair<UINT, std::string>> expected = {
        {0, ""},
        {0x20, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ(&B)"},
        {0x30, "ﾃｷｽﾄﾌｧｲﾙで保存(&F)..."},
        {0, ""},
        {0x40, "ｼｽﾃﾑ情報の編集(&I)..."},
        {0, ""},
        {0x50, "測定項目の編集(&E)..."},
        {0x60, "測定項目の保存(&V)..."},
        {0x70, "測定項目の呼び出し(&O)..."},
        {0, ""},
        {0x80, "測定精度の選択(&L)..."},
        {0x90, "警告の設定(&W)..."},
        {0xA0, "表示位置の設定(&P)..."},
        {0xB0, "表示ﾓｰﾄﾞの選択(&D)..."},
        {0, ""},
        {0xC0, "ﾍﾙﾌﾟﾄﾋﾟｯｸの検索(&T)..."},
        {0x10, "ﾊﾞｰｼﾞｮﾝ情報(&A)..."},
    };
    ASSERT_GE(items.size(), expected.size());
    size_t base = items.size() - expected.size();
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(items[base + i].id, expected[i].first) << i;
        EXPECT_EQ(items[base + i].text, expected[i].second) << i;
        EXPECT_EQ(items[base + i].separator, expected[i].first == 0) << i;
    }
    // Compact mode greys the system-information editor.
    EXPECT_TRUE(items[base + 4].grayed);
    EXPECT_FALSE(items[base + 1].grayed);
    EXPECT_FALSE(gui::IsControlEnabled(main, IDC_EDITINFO));

    // Entries reach the same dialogs as the tool buttons.
    gui::SysCommand(main, 0x10);
    HWND about = WaitDialog("クロノランのバージョン情報");
    ASSERT_TRUE(about);
    EXPECT_EQ(gui::ControlText(about, IDC_ABOUT_VERSION), "ZELBR ﾊﾞｰｼﾞｮﾝ 1.00");
    gui::PressKey(about, VK_ESCAPE);
    EXPECT_TRUE(gui::WaitGone(about));
    CloseMain(main);
}

TEST_F(ZelbrTest, SystemInformationModeUsesTheDesignSize) {
    gui::RegWriteBinary(kIni, "Flag", {0x0F});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 633);
    EXPECT_EQ(client.bottom, 455);
    EXPECT_TRUE(gui::IsControlEnabled(main, IDC_EDITINFO));
    gui::Image img = GrabSettled(main, true);
    ASSERT_FALSE(img.empty());
    EXPECT_EQ(img.At(200, 452), RGB(192, 192, 192));  // window face below the version line
    EXPECT_EQ(img.At(3, 30), RGB(119, 119, 119));     // bevel corner of the system panel
    SaveShot(main, "main_sysinfo");
    CloseMain(main);
}

TEST_F(ZelbrTest, CompactModeHeightFollowsItemCount) {
    MarkNotFirstStart();
    HWND main = StartMain();
    ASSERT_TRUE(main);
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 462);
    EXPECT_EQ(client.bottom, 160);  // no items yet: only the all-items row
    CloseMain(main);
}

TEST_F(ZelbrTest, FirstStartCutShortBeforeItsScanScansNextTime) {
    // Killed at the first-start notice: the settings key exists, "Measure" not.
    MarkNotFirstStart();
    AddModule("ALPHA");
    HWND main = StartMain();
    ASSERT_TRUE(main);
    std::string file;
    EXPECT_TRUE(gui::RegReadString(std::string(kRoot) + "\\Measure\\0000", "File", &file));
    EXPECT_EQ(file, "ALPHA.BNC");
    DWORD select = 0;
    EXPECT_TRUE(gui::RegReadDword(std::string(kRoot) + "\\Measure\\0000", "Select", &select));
    EXPECT_EQ(select, 1u);
    EXPECT_TRUE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST));
    EXPECT_TRUE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 1));
    EXPECT_FALSE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 2));
    CloseMain(main);
}

TEST_F(ZelbrTest, EmptyCatalogueStaysEmpty) {
    MarkNotFirstStart();
    HKEY measure = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kRoot) + "\\Measure").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &measure, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(measure);
    AddModule("ALPHA");
    HWND main = StartMain();
    ASSERT_TRUE(main);
    EXPECT_TRUE(gui::RegKeyExists(std::string(kRoot) + "\\Measure"));
    EXPECT_FALSE(gui::RegKeyExists(std::string(kRoot) + "\\Measure\\0000"));
    EXPECT_FALSE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST));
    EXPECT_FALSE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 1));
    CloseMain(main);
}

// Whether the process has loaded the library, by its file name.
static bool HasModule(DWORD pid, const char* name) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snap == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32 m{};
    m.dwSize = sizeof m;
    bool found = false;
    for (BOOL more = Module32First(snap, &m); more && !found; more = Module32Next(snap, &m))
        found = lstrcmpiA(m.szModule, name) == 0;
    CloseHandle(snap);
    return found;
}

TEST_F(ZelbrTest, ToolTipComesWithTheMouseAndAllButtonsShareIt) {
    MarkNotFirstStart();
    AddModule("ALPHA");
    HWND main = StartMain();
    ASSERT_TRUE(main);
    auto tipWindows = [&] {
        std::vector<HWND> tips;
        for (HWND w : gui::TopWindows(program_.pid, false))
            if (gui::ClassName(w) == "tooltips_class32") tips.push_back(w);
        return tips;
    };
    EXPECT_TRUE(tipWindows().empty());
    EXPECT_FALSE(HasModule(program_.pid, "comctl32.dll")) << "loading it is a sixth of the start-up";
    const int tools[] = {IDC_CLIPCOPY, IDC_SAVETEXT, IDC_EDITINFO, IDC_EDITITEM, IDC_SAVEITEM,
                         IDC_LOADITEM, IDC_SELLEVEL, IDC_SETWARN,  IDC_SETPOS,   IDC_SELDISP,
                         IDC_HELPFINDER, IDC_ABOUT, IDOK};
    // The first move over a button adds its tool; the next adds nothing.
    for (int pass = 0; pass < 2; ++pass) {
        for (int id : tools) SendMessageA(GetDlgItem(main, id), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        for (int row = 0; row < 3; ++row)
            SendMessageA(GetDlgItem(main, IDC_ITEMBTN_FIRST + row), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    }
    std::vector<HWND> tips = tipWindows();
    ASSERT_EQ(tips.size(), 1u) << "a tool tip window per button costs start-up time";
    EXPECT_EQ(SendMessageA(tips[0], TTM_GETTOOLCOUNT, 0, 0), 16);
    EXPECT_TRUE(HasModule(program_.pid, "comctl32.dll"));
    CloseMain(main);
}

TEST_F(ZelbrTest, SystemInformationPanelShowsWhatTheMachineIs) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x0F});  // display mode 1
    HWND main = StartMain();
    ASSERT_TRUE(main);
    MEMORYSTATUSEX ms{};
    ms.dwLength = sizeof ms;
    GlobalMemoryStatusEx(&ms);
    EXPECT_EQ(gui::ControlText(main, IDC_SYSINFO_FIRST + 4), std::to_string(ms.ullTotalPhys >> 10));
    EXPECT_EQ(gui::ControlText(main, IDC_SYSINFO_FIRST + 8),
              std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "*" + std::to_string(GetSystemMetrics(SM_CYSCREEN)));
    EXPECT_NE(gui::ControlText(main, IDC_SYSINFO_FIRST + 6), "") << "the disk";
    EXPECT_NE(gui::ControlText(main, IDC_SYSINFO_FIRST + 7), "?") << "the display adapter";
    EXPECT_EQ(gui::ControlText(main, IDC_SYSINFO_FIRST + 12).rfind("ｺﾝﾋﾟｭｰﾀ名\t", 0), 0u);
    EXPECT_FALSE(gui::RegKeyExists(std::string(kRoot) + "\\System\\CPU"));
    std::vector<uint8_t> cpu;
    EXPECT_FALSE(gui::RegRead(std::string(kRoot) + "\\System", "CPU", &cpu)) << "nothing is written at load";
    SaveShot(main, "main_sysinfo_detected");
    CloseMain(main);
}
