// The system information editor, driven through the real main window.
#include "../../res/resource.h"
#include "zelbr_fixture.h"

#include <algorithm>

using namespace zelbr;

namespace {

const char kCaption[] = "システム情報の編集";
const std::string kSystem = std::string(kRoot) + "\\System";

std::vector<std::string> ComboItems(HWND dlg, int id) {
    HWND combo = GetDlgItem(dlg, id);
    std::vector<std::string> items;
    LRESULT n = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        // Across processes Wine hands the item over as UTF-16 whichever
        // function sends the message.
        wchar_t wide[512] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide));
        char buf[1024] = {};
        WideCharToMultiByte(932, 0, wide, -1, buf, sizeof buf, nullptr, nullptr);
        items.push_back(buf);
    }
    return items;
}

// Replaces a field's text as typing or pasting does, so the edit reports
// the change: a set text is not reported by a multi-line edit or by the
// edit inside a combo box.
bool Type(HWND dlg, int id, const std::string& text) {
    HWND control = GetDlgItem(dlg, id);
    HWND edit = FindWindowExA(control, nullptr, "Edit", nullptr);
    if (!edit) edit = control;
    DWORD_PTR ignored;
    return SendMessageTimeoutA(edit, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, 5000, &ignored) &&
           SendMessageTimeoutA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                               5000, &ignored);
}

// Values stored under "System", by name.
std::vector<std::string> StoredNames() {
    std::vector<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSystem.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD len = sizeof name;
        if (RegEnumValueA(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(name);
    }
    RegCloseKey(key);
    return names;
}

}  // namespace

class SysInfoTest : public ZelbrTest {
protected:
    // The main window in the mode that shows the system information.
    HWND StartInSystemMode() {
        MarkNotFirstStart();
        gui::RegWriteBinary(kIni, "Flag", {0x0F});
        return StartMain();
    }
    HWND OpenEditor(HWND main) { return OpenDialog(main, IDC_EDITINFO, kCaption); }
    bool UpdateEnabled(HWND dlg) { return gui::IsControlEnabled(dlg, IDC_UPDATE); }
};

TEST_F(SysInfoTest, EditorOffersTheDetectedValuesAndOkWithoutChangeWritesNothing) {
    HWND main = StartInSystemMode();
    ASSERT_TRUE(main);
    HWND dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    SaveShot(dlg, "sysinfo_editor");
    EXPECT_FALSE(UpdateEnabled(dlg));
    // Each field shows what the main window shows, "?" included.
    const int controls[] = {IDC_SI_CPU, IDC_SI_CLOCK, IDC_SI_L1, IDC_SI_L2, IDC_SI_MEM, IDC_SI_DISKCTRL, IDC_SI_DISK,
                            IDC_SI_GRAPHIC, IDC_SI_RESO, IDC_SI_COLS, IDC_SI_NETCARD, IDC_SI_SOUNDCARD, IDC_SI_COMMENT};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(gui::ControlText(dlg, controls[i]), gui::ControlText(main, IDC_SYSINFO_FIRST + i)) << i;
    EXPECT_EQ(gui::ControlText(dlg, IDC_SI_CLOCK), "?") << "the record's text beats the up-down's number";
    // The detected values are the single choices of their fields.
    EXPECT_EQ(ComboItems(dlg, IDC_SI_MEM), std::vector<std::string>{gui::ControlText(main, IDC_SYSINFO_FIRST + 4)});
    EXPECT_EQ(ComboItems(dlg, IDC_SI_RESO), std::vector<std::string>{gui::ControlText(main, IDC_SYSINFO_FIRST + 8)});
    std::vector<std::string> disks = ComboItems(dlg, IDC_SI_DISK);
    EXPECT_NE(std::find(disks.begin(), disks.end(), gui::ControlText(main, IDC_SYSINFO_FIRST + 6)), disks.end());
    EXPECT_FALSE(ComboItems(dlg, IDC_SI_GRAPHIC).empty());

    gui::Click(dlg, IDOK);
    EXPECT_TRUE(gui::WaitGone(dlg));
    EXPECT_TRUE(StoredNames().empty());
    CloseMain(main);
}

TEST_F(SysInfoTest, ApplyStoresOnlyChangedFieldsAndUpdatesTheMainWindow) {
    gui::RegWriteString(kSystem, "Clock", "200");
    HWND main = StartInSystemMode();
    ASSERT_TRUE(main);
    HWND dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(gui::ControlText(dlg, IDC_SI_CLOCK), "200");

    // Typing enables "更新"; applying stores that field alone, as REG_SZ
    // with its terminator, and shows it on the main window at once.
    ASSERT_TRUE(gui::SetControlText(dlg, IDC_SI_L2, "512"));
    EXPECT_TRUE(gui::WaitFor([&] { return UpdateEnabled(dlg); }, 3000));
    ASSERT_TRUE(gui::Click(dlg, IDC_UPDATE));
    EXPECT_TRUE(gui::WaitFor([&] { return gui::ControlText(main, IDC_SYSINFO_FIRST + 3) == "512"; }, 3000));
    EXPECT_FALSE(UpdateEnabled(dlg));
    DWORD type = 0;
    EXPECT_EQ(Value(kSystem.c_str(), "L2", &type), (std::vector<uint8_t>{'5', '1', '2', 0}));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(StoredNames(), (std::vector<std::string>{"Clock", "L2"}));

    // A comment of several lines keeps its CR LF; a second apply of the same
    // text writes nothing (the value removed behind its back stays away).
    const std::string comment = "測定機A\r\n2台目の\tﾃﾞｨｽｸ";
    ASSERT_TRUE(Type(dlg, IDC_SI_COMMENT, comment));
    EXPECT_TRUE(UpdateEnabled(dlg));
    gui::Click(dlg, IDC_UPDATE);
    EXPECT_TRUE(gui::WaitFor([&] { return !UpdateEnabled(dlg); }, 3000));
    ASSERT_TRUE(Type(dlg, IDC_SI_CPU, "Pentium II"));
    EXPECT_TRUE(UpdateEnabled(dlg)) << "typing in a combo box";
    gui::Click(dlg, IDC_UPDATE);
    EXPECT_TRUE(gui::WaitFor([&] { return gui::ControlText(main, IDC_SYSINFO_FIRST + 12) == comment; }, 3000));
    std::string stored;
    EXPECT_TRUE(gui::RegReadString(kSystem, "Comment", &stored));
    EXPECT_EQ(stored, comment);
    EXPECT_EQ(gui::ControlText(main, IDC_SYSINFO_FIRST), "Pentium II");
    gui::RegDeleteTree(kSystem);
    gui::Click(dlg, IDOK);
    EXPECT_TRUE(gui::WaitGone(dlg));
    EXPECT_TRUE(StoredNames().empty());

    // Cancel keeps the record: a new editor shows the applied texts, and
    // what was typed before cancelling is nowhere.
    dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(gui::ControlText(dlg, IDC_SI_L2), "512");
    EXPECT_EQ(gui::ControlText(dlg, IDC_SI_COMMENT), comment);
    Type(dlg, IDC_SI_DISK, "typed then cancelled");
    gui::Click(dlg, IDCANCEL);
    EXPECT_TRUE(gui::WaitGone(dlg));
    EXPECT_TRUE(StoredNames().empty());
    EXPECT_NE(gui::ControlText(main, IDC_SYSINFO_FIRST + 6), "typed then cancelled");
    CloseMain(main);

    // The next start shows what was stored.
    gui::RegWriteString(kSystem, "Comment", comment);
    HWND again = StartMain();
    ASSERT_TRUE(again);
    EXPECT_EQ(gui::ControlText(again, IDC_SYSINFO_FIRST + 12), comment);
    CloseMain(again);
}

TEST_F(SysInfoTest, ChoosingTheTextAFieldHadLeavesUpdateOffAnotherTurnsItOn) {
    // Two disks to choose from: the program's own, stored, and another.
    HWND main = StartInSystemMode();
    ASSERT_TRUE(main);
    HWND dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    std::vector<std::string> disks = ComboItems(dlg, IDC_SI_DISK);
    ASSERT_GE(disks.size(), 2u) << "Wine offers C: and Z:";
    gui::Click(dlg, IDCANCEL);
    ASSERT_TRUE(gui::WaitGone(dlg));
    gui::RegWriteString(kSystem, "Disk", disks[1]);
    CloseMain(main);
    main = StartMain();
    ASSERT_TRUE(main);
    dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    HWND combo = GetDlgItem(dlg, IDC_SI_DISK);
    auto choose = [&](int index, WORD code = CBN_SELENDOK) {
        SendMessageA(combo, CB_SETCURSEL, index, 0);
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_SI_DISK, code), reinterpret_cast<LPARAM>(combo));
        DWORD_PTR ignored;
        SendMessageTimeoutA(dlg, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    };
    ASSERT_EQ(gui::ControlText(dlg, IDC_SI_DISK), disks[1]);
    choose(1);
    EXPECT_FALSE(UpdateEnabled(dlg));
    // Browsing the open list is no choice yet; a selection changed while it
    // is closed is one.
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    choose(0, CBN_SELCHANGE);
    EXPECT_FALSE(UpdateEnabled(dlg));
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    choose(1, CBN_SELCHANGE);
    EXPECT_FALSE(UpdateEnabled(dlg));
    choose(0, CBN_SELCHANGE);
    EXPECT_TRUE(UpdateEnabled(dlg));
    gui::Click(dlg, IDCANCEL);
    EXPECT_TRUE(gui::WaitGone(dlg));
    dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    combo = GetDlgItem(dlg, IDC_SI_DISK);
    choose(0);
    EXPECT_TRUE(UpdateEnabled(dlg));
    gui::Click(dlg, IDCANCEL);
    EXPECT_TRUE(gui::WaitGone(dlg));

    // The arrow keys step through the closed list: that choice counts too.
    dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    HWND edit = FindWindowExA(GetDlgItem(dlg, IDC_SI_DISK), nullptr, "Edit", nullptr);
    ASSERT_TRUE(edit);
    gui::PressKey(edit, VK_UP);
    EXPECT_TRUE(gui::WaitFor([&] { return gui::ControlText(dlg, IDC_SI_DISK) == disks[0]; }, 3000));
    EXPECT_TRUE(gui::WaitFor([&] { return UpdateEnabled(dlg); }, 3000));
    gui::Click(dlg, IDOK);
    EXPECT_TRUE(gui::WaitGone(dlg));
    EXPECT_EQ(gui::ControlText(main, IDC_SYSINFO_FIRST + 6), disks[0]);
    EXPECT_EQ(StoredNames(), std::vector<std::string>{"Disk"});

    // An up-down click counts as a change. The arrows start from the
    // processor's typical figures, under the record's "?", and stop at
    // their ranges' ends.
    CloseMain(main);
    gui::RegWriteString(kSystem, "L1", "16384");
    gui::RegWriteString(kSystem, "L2", "?");
    main = StartMain();
    ASSERT_TRUE(main);
    dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(gui::ControlText(dlg, IDC_SI_L2), "?");
    auto up = [&](int spinId) {
        HWND spin = GetDlgItem(dlg, spinId);
        RECT r;
        GetClientRect(spin, &r);
        PostMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right / 2, r.bottom / 4));
        PostMessageA(spin, WM_LBUTTONUP, 0, MAKELPARAM(r.right / 2, r.bottom / 4));
        DWORD_PTR ignored;
        SendMessageTimeoutA(dlg, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    };
    up(IDC_SI_CLOCKSPIN);
    EXPECT_TRUE(gui::WaitFor([&] { return UpdateEnabled(dlg); }, 3000));
    up(IDC_SI_L1SPIN);
    up(IDC_SI_L2SPIN);
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    const char* expected[3] = {"151", "16384", "513"};  // any later processor
    if (si.dwProcessorType == 586) expected[0] = "91", expected[2] = "257";
    EXPECT_TRUE(gui::WaitFor([&] { return gui::ControlText(dlg, IDC_SI_L2) == expected[2]; }, 3000));
    EXPECT_EQ(gui::ControlText(dlg, IDC_SI_CLOCK), expected[0]);
    EXPECT_EQ(gui::ControlText(dlg, IDC_SI_L1), expected[1]) << "the cache's range ends at 16384";
    gui::Click(dlg, IDCANCEL);
    EXPECT_TRUE(gui::WaitGone(dlg));
    CloseMain(main);
}
