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

namespace {

const int kEditorControls[13] = {IDC_SI_CPU,     IDC_SI_CLOCK, IDC_SI_L1,   IDC_SI_L2,      IDC_SI_MEM,
                                 IDC_SI_DISKCTRL, IDC_SI_DISK, IDC_SI_GRAPHIC, IDC_SI_RESO, IDC_SI_COLS,
                                 IDC_SI_NETCARD, IDC_SI_SOUNDCARD, IDC_SI_COMMENT};
const char* const kFieldNames[13] = {"CPU",     "Clock", "L1",   "L2",      "Mem",       "DiskCtrl", "Disk",
                                     "Graphic", "Reso",  "Cols", "NetCard", "SoundCard", "Comment"};

// Clicks the upper or lower half of an up-down control.
void Spin(HWND dlg, int spinId, bool up) {
    HWND spin = GetDlgItem(dlg, spinId);
    RECT r;
    GetClientRect(spin, &r);
    LPARAM at = MAKELPARAM(r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4);
    PostMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(spin, WM_LBUTTONUP, 0, at);
    DWORD_PTR ignored;
    SendMessageTimeoutA(dlg, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
}

}  // namespace

TEST_F(SysInfoTest, UpDownsStopAtTheEndsOfTheirRangesAndTypingInAnyFieldEnablesUpdate) {
    // One below each upper end: two clicks up reach it and stay there.
    gui::RegWriteString(kSystem, "Clock", "9998");
    gui::RegWriteString(kSystem, "L1", "16383");
    gui::RegWriteString(kSystem, "L2", "32766");
    HWND main = StartInSystemMode();
    ASSERT_TRUE(main);
    HWND dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    const struct {
        int edit, spin;
        const char *top, *start;
    } spins[] = {{IDC_SI_CLOCK, IDC_SI_CLOCKSPIN, "9999", "9998"},
                 {IDC_SI_L1, IDC_SI_L1SPIN, "16384", "16383"},
                 {IDC_SI_L2, IDC_SI_L2SPIN, "32767", "32766"}};
    for (const auto& s : spins) {
        EXPECT_EQ(gui::ControlText(dlg, s.edit), s.start);
        Spin(dlg, s.spin, true);
        EXPECT_TRUE(gui::WaitFor([&] { return gui::ControlText(dlg, s.edit) == s.top; }, 3000))
            << s.top << ", plain digits: " << gui::ControlText(dlg, s.edit);
        Spin(dlg, s.spin, true);
        Spin(dlg, s.spin, true);
        EXPECT_EQ(gui::ControlText(dlg, s.edit), s.top) << "the range ends there";
        // And at the bottom: 1, then 0, and no lower.
        ASSERT_TRUE(gui::SetControlText(dlg, s.edit, "1"));
        Spin(dlg, s.spin, false);
        Spin(dlg, s.spin, false);
        EXPECT_TRUE(gui::WaitFor([&] { return gui::ControlText(dlg, s.edit) == "0"; }, 3000))
            << gui::ControlText(dlg, s.edit);
    }
    gui::Click(dlg, IDCANCEL);
    ASSERT_TRUE(gui::WaitGone(dlg));

    // Every field: typing in it alone enables "更新", which stores it alone.
    dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    for (int i = 0; i < 13; ++i) {
        ASSERT_FALSE(UpdateEnabled(dlg)) << kFieldNames[i];
        gui::RegDeleteTree(kSystem);
        const std::string text = std::string("typed ") + kFieldNames[i];
        ASSERT_TRUE(Type(dlg, kEditorControls[i], text)) << kFieldNames[i];
        EXPECT_TRUE(gui::WaitFor([&] { return UpdateEnabled(dlg); }, 2000)) << "typing in " << kFieldNames[i];
        gui::Click(dlg, IDC_UPDATE);
        EXPECT_TRUE(gui::WaitFor([&] { return gui::ControlText(main, IDC_SYSINFO_FIRST + i) == text; }, 3000))
            << kFieldNames[i];
        EXPECT_EQ(StoredNames(), std::vector<std::string>{kFieldNames[i]});
        EXPECT_TRUE(gui::WaitFor([&] { return !UpdateEnabled(dlg); }, 2000));
    }
    gui::Click(dlg, IDCANCEL);
    ASSERT_TRUE(gui::WaitGone(dlg));
    CloseMain(main);
}

TEST_F(SysInfoTest, UntouchedOkRewritesNothingEvenWhereAStoredTextFillsTheWholeBuffer) {
    // 256 bytes of text with no terminator: read back whole, more than a
    // control holds. (Wine hands such a value to a 256-byte buffer whole
    // only when it was written through the wide function, and adds the
    // terminator itself where one follows the counted bytes.)
    for (int i = 0; i < 13; ++i) {
        std::wstring text(257, static_cast<wchar_t>(L'A' + i));
        std::wstring name(kFieldNames[i], kFieldNames[i] + strlen(kFieldNames[i]));
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSystem.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()), 512);
        RegCloseKey(key);
    }
    HWND main = StartInSystemMode();
    ASSERT_TRUE(main);
    EXPECT_EQ(gui::ControlText(main, IDC_SYSINFO_FIRST + 6), std::string(256, 'A' + 6)) << "shown as read";
    for (int round = 0; round < 2; ++round) {
        HWND dlg = OpenEditor(main);
        ASSERT_TRUE(dlg);
        EXPECT_FALSE(UpdateEnabled(dlg));
        gui::Click(dlg, round == 0 ? IDOK : IDC_UPDATE);
        if (round == 1) gui::Click(dlg, IDOK);
        ASSERT_TRUE(gui::WaitGone(dlg));
    }
    for (int i = 0; i < 13; ++i) {
        DWORD type = 0;
        std::vector<uint8_t> raw = Value(kSystem.c_str(), kFieldNames[i], &type);
        EXPECT_EQ(raw, std::vector<uint8_t>(256, static_cast<uint8_t>('A' + i))) << kFieldNames[i] << " rewritten";
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    }
    EXPECT_EQ(gui::ControlText(main, IDC_SYSINFO_FIRST + 6), std::string(256, 'A' + 6));
    CloseMain(main);
}

namespace {

// A Windows 95 device tree: HKEY_LOCAL_MACHINE "Enum" with every device the
// machine has known, HKEY_DYN_DATA "Config Manager\Enum" with the ones
// present now, each naming its "Enum" key by "HardWareKey". Wine lets a
// process build both; HKEY_DYN_DATA lives in the wineserver's memory only,
// so the tree is written here, in the session the program then starts in.
class Win95Tree {
public:
    ~Win95Tree() {
        DeleteTree(HKEY_DYN_DATA, "Config Manager\\Enum");
        DeleteTree(HKEY_LOCAL_MACHINE, "Enum");
    }
    // A device of the tree; letters and type for disks only.
    void Device(const std::string& path, const char* cls, const char* desc) {
        HKEY k = Create(HKEY_LOCAL_MACHINE, "Enum\\" + path);
        if (cls) Text(k, "Class", cls);
        if (desc) Text(k, "DeviceDesc", desc);
        RegCloseKey(k);
    }
    void Disk(const std::string& path, const char* cls, const char* desc, const char* letters, BYTE type,
              bool scsi) {
        Device(path, cls, desc);
        HKEY k = Create(HKEY_LOCAL_MACHINE, "Enum\\" + path);
        Text(k, "CurrentDriveLetterAssignment", letters);
        RegSetValueExA(k, "DeviceType", 0, REG_BINARY, &type, 1);
        if (scsi) Text(k, "SCSITargetID", "0");
        RegCloseKey(k);
    }
    // Present now; null hardwareKey: an entry without one.
    void Present(const char* hardwareKey) {
        char name[16];
        snprintf(name, sizeof name, "C%07d", ++present_);
        HKEY k = Create(HKEY_DYN_DATA, std::string("Config Manager\\Enum\\") + name);
        if (hardwareKey) Text(k, "HardWareKey", hardwareKey);
        DWORD status = 0x0180600a;
        RegSetValueExA(k, "Status", 0, REG_BINARY, reinterpret_cast<BYTE*>(&status), 4);
        RegCloseKey(k);
    }
    bool Written() const {
        HKEY k;
        if (RegOpenKeyExA(HKEY_DYN_DATA, "Config Manager\\Enum", 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
        RegCloseKey(k);
        return true;
    }

private:
    static HKEY Create(HKEY root, const std::string& path) {
        HKEY k = nullptr;
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        return k;
    }
    static void Text(HKEY k, const char* name, const char* value) {
        RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), static_cast<DWORD>(strlen(value) + 1));
    }
    static void DeleteTree(HKEY root, const char* path) {
        HKEY k;
        if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
        char name[256];
        for (;;) {
            DWORD len = sizeof name;
            if (RegEnumKeyExA(k, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            DeleteTree(k, name);
        }
        RegCloseKey(k);
        RegDeleteKeyA(root, path);
    }
    int present_ = 0;
};

// A machine of 1997: two IDE disks behind two IDE controllers, a SCSI disk
// and a CD-ROM behind two SCSI adapters, a floppy, three display adapters,
// two network cards, two sound devices; and what a real tree also holds.
void BuildMachine(Win95Tree& t) {
    t.Disk("FLOP\\GENERIC_NEC__FLOPPY_DISK_\\BIOS&0", "DiskDrive", "GENERIC NEC  FLOPPY DISK", "A", 10, false);
    t.Disk("ESDI\\GENERIC_IDE__DISK_TYPE47_\\MF&CHILD0000&PCI&VEN_8086&DEV_7010", "DiskDrive",
           "GENERIC IDE  DISK TYPE47", "CE", 0, false);
    t.Disk("ESDI\\GENERIC_IDE__DISK_TYPE46_\\MF&CHILD0001&PCI&VEN_8086&DEV_7010", "DiskDrive",
           "GENERIC IDE  DISK TYPE46", "F", 0, false);
    t.Disk("SCSI\\IBM_____DORS-32160______WA0A\\ROOT&SCSI&0000&0000", "diskdrive", "IBM DORS-32160", "DZ", 0, true);
    t.Disk("SCSI\\TOSHIBA_CD-ROM_XM-5701TAS\\ROOT&SCSI&0000&0001", "CDROM", "TOSHIBA CD-ROM XM-5701TA", "Q", 5,
           true);
    t.Device("PCI\\VEN_8086&DEV_7010\\BUS_00&DEV_07&FUNC_01", "hdc", "Intel 82371SB PCI Bus Master IDE Controller");
    t.Device("MF\\CHILD0001\\PCI&VEN_8086&DEV_7010", "HDC", "Secondary IDE controller (dual fifo)");
    t.Device("ROOT\\*PNP0700\\0000", "fdc", "Standard Floppy Disk Controller");
    t.Device("PCI\\VEN_9004&DEV_8178\\BUS_00&DEV_0C&FUNC_00", "SCSIAdapter",
             "Adaptec AHA-2940U/AHA-2940UW PCI SCSI Controller");
    t.Device("PCI\\VEN_1000&DEV_0001\\BUS_00&DEV_0D&FUNC_00", "scsiadapter", "Symbios Logic 8100S");
    t.Device("PCI\\VEN_5333&DEV_8811\\BUS_00&DEV_0A&FUNC_00", "DISPLAY", "S3 Trio32/64 PCI");
    t.Device("PCI\\VEN_102B&DEV_0519\\BUS_01&DEV_00&FUNC_00", "Display", "Matrox MGA Millennium PCI");
    t.Device("ROOT\\DISPLAY\\0000", "DISPLAY", "標準ディスプレイ アダプタ (VGA)");
    t.Device("PCI\\VEN_10EC&DEV_8029\\BUS_00&DEV_0B&FUNC_00", "Net", "Realtek RTL8029(AS) PCI Ethernet NIC");
    t.Device("ROOT\\NET\\0000", "net", "ダイヤルアップ アダプタ");
    t.Device("ISAPNP\\CTL0031\\0", "MEDIA", "Creative AWE32 16-bit Audio (SB16 compatible)");
    t.Device("ISAPNP\\CTL7002\\0", "MEDIA", "Gameport Joystick");
    // Of other classes: never offered.
    t.Device("BIOS\\*PNP0303\\0D", "Keyboard", "Standard 101/102-Key or Microsoft Natural Keyboard");
    t.Device("MONITOR\\DEFAULT_MONITOR\\0001", "Monitor", "Plug and Play Monitor");
    t.Device("BIOS\\*PNP0501\\0A", "Ports", "Communications Port (COM1)");
    // Known to the tree, not present now.
    t.Device("PCI\\VEN_1013&DEV_00A0\\BUS_00&DEV_0A&FUNC_00", "DISPLAY", "Cirrus Logic 5430/40 PCI");
    t.Device("ISAPNP\\ADP1502\\0", "SCSIAdapter", "Adaptec AVA-1502");
    // Broken: no class, no description.
    t.Device("ROOT\\NOCLASS\\0000", nullptr, "A device without a class");
    t.Device("ROOT\\NODESC\\0000", "Net", nullptr);

    // The live table, in its own order.
    t.Present("ROOT\\NET\\0000");
    t.Present("PCI\\VEN_9004&DEV_8178\\BUS_00&DEV_0C&FUNC_00");
    t.Present("BIOS\\*PNP0303\\0D");
    t.Present("FLOP\\GENERIC_NEC__FLOPPY_DISK_\\BIOS&0");
    t.Present("PCI\\VEN_102B&DEV_0519\\BUS_01&DEV_00&FUNC_00");
    t.Present("ISAPNP\\CTL7002\\0");
    t.Present("MF\\CHILD0001\\PCI&VEN_8086&DEV_7010");
    t.Present("ESDI\\GENERIC_IDE__DISK_TYPE47_\\MF&CHILD0000&PCI&VEN_8086&DEV_7010");
    t.Present(nullptr);                   // no hardware key
    t.Present("PCI\\VEN_DEAD&DEV_BEEF\\0");  // names no device
    t.Present("");
    t.Present("ROOT\\NOCLASS\\0000");
    t.Present("ROOT\\NODESC\\0000");
    t.Present("SCSI\\IBM_____DORS-32160______WA0A\\ROOT&SCSI&0000&0000");
    t.Present("PCI\\VEN_5333&DEV_8811\\BUS_00&DEV_0A&FUNC_00");
    t.Present("MONITOR\\DEFAULT_MONITOR\\0001");
    t.Present("PCI\\VEN_8086&DEV_7010\\BUS_00&DEV_07&FUNC_01");
    t.Present("ISAPNP\\CTL0031\\0");
    t.Present("ROOT\\*PNP0700\\0000");
    t.Present("SCSI\\TOSHIBA_CD-ROM_XM-5701TAS\\ROOT&SCSI&0000&0001");
    t.Present("PCI\\VEN_10EC&DEV_8029\\BUS_00&DEV_0B&FUNC_00");
    t.Present("ESDI\\GENERIC_IDE__DISK_TYPE46_\\MF&CHILD0001&PCI&VEN_8086&DEV_7010");
    t.Present("PCI\\VEN_1000&DEV_0001\\BUS_00&DEV_0D&FUNC_00");
    t.Present("BIOS\\*PNP0501\\0A");
    t.Present("ROOT\\DISPLAY\\0000");
}

using Texts = std::vector<std::string>;
const Texts kDisks = {"GENERIC NEC  FLOPPY DISK", "GENERIC IDE  DISK TYPE47", "IBM DORS-32160",
                      "GENERIC IDE  DISK TYPE46"};
const Texts kControllers = {"Adaptec AHA-2940U/AHA-2940UW PCI SCSI Controller", "Symbios Logic 8100S",
                            "Secondary IDE controller (dual fifo)", "Intel 82371SB PCI Bus Master IDE Controller",
                            "Standard Floppy Disk Controller"};
const Texts kDisplays = {"Matrox MGA Millennium PCI", "S3 Trio32/64 PCI", "標準ディスプレイ アダプタ (VGA)"};
const Texts kNetwork = {"ダイヤルアップ アダプタ", "Realtek RTL8029(AS) PCI Ethernet NIC"};
const Texts kSound = {"Gameport Joystick", "Creative AWE32 16-bit Audio (SB16 compatible)"};

// system.ini of the Windows directory, put back as it was.
class SystemIni {
public:
    SystemIni() {
        char dir[MAX_PATH];
        GetWindowsDirectoryA(dir, sizeof dir);
        path_ = std::string(dir) + "\\system.ini";
        saved_ = ReadFileBytes(path_);
    }
    ~SystemIni() {
        if (saved_ == "<missing>")
            DeleteFileA(path_.c_str());
        else
            WriteFileBytes(path_, saved_);
    }
    void DisplayDriver(const char* text) {
        WritePrivateProfileStringA("boot.description", "display.drv", text, path_.c_str());
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str());  // flush the cache
    }

private:
    std::string path_, saved_;
};

}  // namespace

class Win95DetectionTest : public SysInfoTest {
protected:
    std::string Panel(HWND main, int field) { return gui::ControlText(main, IDC_SYSINFO_FIRST + field); }
    // The report's line of a field, through the clipboard.
    static std::string ReportLine(const std::string& report, const std::string& caption) {
        size_t at = report.find("\r\n" + caption + "\t");
        if (at == std::string::npos) return "<no line " + caption + ">";
        at += 2 + caption.size() + 1;
        return report.substr(at, report.find("\r\n", at) - at);
    }
    std::string CopyReport(HWND main) {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        gui::Click(main, IDC_CLIPCOPY);
        std::string text;
        gui::WaitFor(
            [&] {
                if (!OpenClipboard(nullptr)) return false;
                HANDLE h = GetClipboardData(CF_TEXT);
                const char* p = h ? static_cast<const char*>(GlobalLock(h)) : nullptr;
                if (p) text.assign(p, strnlen(p, GlobalSize(h)));
                if (p) GlobalUnlock(h);
                CloseClipboard();
                return !text.empty();
            },
            5000);
        return text;
    }
    Win95Tree tree_;
    SystemIni ini_;
};

TEST_F(Win95DetectionTest, ThePresentDevicesFillThePanelTheChoicesAndTheReport) {
    BuildMachine(tree_);
    ASSERT_TRUE(tree_.Written()) << "Wine refused keys under HKEY_DYN_DATA";
    ini_.DisplayDriver("s3 trio32/64 pci");  // another spelling of an adapter
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x0E});  // system information shown, no clipboard question
    HWND main = StartMain();
    ASSERT_TRUE(main);
    SaveShot(main, "sysinfo_win95_tree");
    // From C: the disk that provides C, behind the first IDE controller met.
    EXPECT_EQ(Panel(main, 6), "GENERIC IDE  DISK TYPE47");
    EXPECT_EQ(Panel(main, 5), "Secondary IDE controller (dual fifo)");
    EXPECT_EQ(Panel(main, 7), "S3 Trio32/64 PCI") << "the adapter system.ini names, as the tree spells it";
    EXPECT_EQ(Panel(main, 10), kNetwork[0]);
    EXPECT_EQ(Panel(main, 11), kSound[0]);

    HWND dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(ComboItems(dlg, IDC_SI_DISK), kDisks);
    EXPECT_EQ(ComboItems(dlg, IDC_SI_DISKCTRL), kControllers) << "SCSI, then IDE, then floppy controllers";
    EXPECT_EQ(ComboItems(dlg, IDC_SI_GRAPHIC), kDisplays);
    EXPECT_EQ(ComboItems(dlg, IDC_SI_NETCARD), kNetwork);
    EXPECT_EQ(ComboItems(dlg, IDC_SI_SOUNDCARD), kSound);
    gui::Click(dlg, IDCANCEL);
    ASSERT_TRUE(gui::WaitGone(dlg));

    std::string report = CopyReport(main);
    EXPECT_EQ(ReportLine(report, "ﾃﾞｨｽｸ ｺﾝﾄﾛｰﾗ:"), "Secondary IDE controller (dual fifo)") << report;
    EXPECT_EQ(ReportLine(report, "ﾃﾞｨｽｸ:"), "GENERIC IDE  DISK TYPE47");
    EXPECT_EQ(ReportLine(report, "ｸﾞﾗﾌｨｯｸ ｶｰﾄﾞ:"), "S3 Trio32/64 PCI");
    EXPECT_EQ(ReportLine(report, "ﾈｯﾄﾜｰｸ ｶｰﾄﾞ:"), kNetwork[0]);
    EXPECT_EQ(ReportLine(report, "ｻｳﾝﾄﾞ ｶｰﾄﾞ:"), kSound[0]);
    for (const char* never : {"Cirrus", "AVA-1502", "Keyboard", "Monitor", "COM1", "without a class", "TOSHIBA"})
        EXPECT_EQ(report.find(never), std::string::npos) << never;
    CloseMain(main);

    // A system.ini text no adapter has is taken as it stands.
    ini_.DisplayDriver("Number Nine Imagine 128");
    main = StartMain();
    ASSERT_TRUE(main);
    EXPECT_EQ(Panel(main, 7), "Number Nine Imagine 128");
    CloseMain(main);
}

TEST_F(Win95DetectionTest, FromAnotherDriveTheDiskProvidingItDecidesDiskAndController) {
    BuildMachine(tree_);
    ASSERT_TRUE(tree_.Written());
    ini_.DisplayDriver(nullptr);  // no display.drv: the last adapter met
    // Z: is Wine's drive for the Unix root; the SCSI disk provides D and Z.
    std::string zdir = DistDir() + "..\\gui-zdrive\\";
    ASSERT_EQ(zdir.compare(0, 2, "Z:"), 0) << zdir;
    CreateDirectoryA(zdir.c_str(), nullptr);
    ASSERT_TRUE(gui::CopyInto(zdir, DistDir() + "ZELBR.EXE"));
    dir_ = zdir;
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x0E});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    EXPECT_EQ(Panel(main, 6), "IBM DORS-32160");
    EXPECT_EQ(Panel(main, 5), kControllers[0]) << "a SCSI disk: the first SCSI adapter";
    EXPECT_EQ(Panel(main, 7), kDisplays.back());
    std::string report = CopyReport(main);
    EXPECT_EQ(ReportLine(report, "ﾃﾞｨｽｸ:"), "IBM DORS-32160");
    EXPECT_EQ(ReportLine(report, "ﾃﾞｨｽｸ ｺﾝﾄﾛｰﾗ:"), kControllers[0]);
    CloseMain(main);
}

TEST_F(SysInfoTest, AProgramKilledWhileApplyingLeavesTheOldFieldsOrTheNewNeverAMix) {
    // Seven of thirteen fields change; the process is killed a few
    // milliseconds after OK, whenever that falls in the store.
    const int changed[] = {1, 2, 3, 5, 7, 10, 12};  // Clock, L1, L2, DiskCtrl, Graphic, NetCard, Comment
    const DWORD delays[] = {0, 1, 2, 3, 5, 8, 13, 21, 40};
    int counts[3] = {};  // old, new, mixed
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x0F});
    for (DWORD delay : delays) {
        gui::RegDeleteTree(kSystem);
        for (int f : changed) gui::RegWriteString(kSystem, kFieldNames[f], std::string("old ") + kFieldNames[f]);
        HWND main = StartMain();
        ASSERT_TRUE(main);
        HWND dlg = OpenEditor(main);
        ASSERT_TRUE(dlg);
        for (int f : changed) ASSERT_TRUE(Type(dlg, kEditorControls[f], std::string("new ") + kFieldNames[f]));
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
        Sleep(delay);
        TerminateProcess(program_.process, 1);
        WaitForSingleObject(program_.process, 5000);
        program_.Close();
        // The next start reads the record (and finishes a store cut short).
        main = StartMain();
        ASSERT_TRUE(main);
        int fresh = 0, stale = 0;
        for (int f : changed) {
            std::string shown = gui::ControlText(main, IDC_SYSINFO_FIRST + f), stored;
            gui::RegReadString(kSystem, kFieldNames[f], &stored);
            EXPECT_EQ(shown, stored) << kFieldNames[f];
            fresh += stored == std::string("new ") + kFieldNames[f];
            stale += stored == std::string("old ") + kFieldNames[f];
        }
        EXPECT_EQ(fresh + stale, 7) << "each field whole";
        int kind = stale == 7 ? 0 : fresh == 7 ? 1 : 2;
        ++counts[kind];
        EXPECT_NE(kind, 2) << "killed " << delay << " ms after OK: " << fresh << " of 7 fields new";
        CloseMain(main);
    }
    printf("killed 0-40 ms after OK, %zu tries: %d old, %d new, %d mixed\n", sizeof delays / sizeof delays[0],
           counts[0], counts[1], counts[2]);
}
