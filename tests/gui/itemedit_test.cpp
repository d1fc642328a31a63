#include "zelbr_fixture.h"

#include <commctrl.h>

#include <cstdio>

#include "../../help/protocol.h"
#include "../../res/resource.h"

using namespace zelbr;

namespace {

const char kCaption[] = "測定項目の編集";
const UINT kUnticked = 1, kTicked = 2;

// The editor's list in the program's process. List-view messages carry
// pointers that Wine does not carry across processes, so the buffers they
// point to are allocated in the program.
class RemoteList {
public:
    RemoteList(HWND list, HANDLE process) : m_list(list), m_process(process) {
        m_mem = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteList() {
        if (m_mem) VirtualFreeEx(m_process, m_mem, 0, MEM_RELEASE);
    }
    int Count() const { return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, 0)); }
    int Selected() const { return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); }
    UINT Check(int item) const { return static_cast<UINT>(Send(LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK)) >> 12; }
    std::string Text(int item) const {
        char* remoteText = static_cast<char*>(m_mem) + 256;
        LVITEMA lv{};
        lv.pszText = remoteText;
        lv.cchTextMax = 256;
        if (!Put(&lv, sizeof lv)) return "?";
        Send(LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(m_mem));
        char text[257] = {};
        SIZE_T got = 0;
        ReadProcessMemory(m_process, remoteText, text, 256, &got);
        return text;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (int i = 0, n = Count(); i < n; ++i) texts.push_back(Text(i));
        return texts;
    }
    std::vector<UINT> Checks() const {
        std::vector<UINT> checks;
        for (int i = 0, n = Count(); i < n; ++i) checks.push_back(Check(i));
        return checks;
    }
    // The item's label, scrolled into view as a user would; the state image
    // sits just left of it.
    RECT Label(int item) const {
        Send(LVM_ENSUREVISIBLE, item, FALSE);
        RECT r{LVIR_LABEL, 0, 0, 0};
        if (!Put(&r, sizeof r)) return RECT{};
        Send(LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(m_mem));
        SIZE_T got = 0;
        ReadProcessMemory(m_process, m_mem, &r, sizeof r, &got);
        return r;
    }
    void ClickAt(int x, int y) const {
        PostMessageA(m_list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageA(m_list, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        Sync();
    }
    void ClickLabel(int item) const {
        RECT r = Label(item);
        ClickAt(r.left + 6, (r.top + r.bottom) / 2);
    }
    void ClickCheck(int item) const {
        RECT r = Label(item);
        ClickAt(r.left - 10, (r.top + r.bottom) / 2);
    }
    void Key(int vk) const {
        gui::PressKey(m_list, vk);
        Sync();
    }
    // Waits until the program has handled everything posted to its windows
    // so far. A sent message would not do: the program takes sent messages
    // before posted ones. A hot-item mark posted behind them is seen once
    // they are done; the list draws no hot item in its style.
    void Sync() const {
        static int mark = 1000;
        ++mark;
        PostMessageA(m_list, LVM_SETHOTITEM, mark, 0);
        gui::WaitFor([&] { return Send(LVM_GETHOTITEM, 0, 0) == mark; }, 5000, 5);
        PostMessageA(m_list, LVM_SETHOTITEM, static_cast<WPARAM>(-1), 0);
    }

private:
    LRESULT Send(UINT msg, WPARAM wp, LPARAM lp) const {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(m_list, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result);
        return static_cast<LRESULT>(result);
    }
    bool Put(const void* data, size_t size) const {
        SIZE_T put = 0;
        return m_mem && WriteProcessMemory(m_process, m_mem, data, size, &put) && put == size;
    }
    HWND m_list;
    HANDLE m_process;
    void* m_mem = nullptr;
};

std::string ItemKey(int index) {
    char key[96];
    std::snprintf(key, sizeof key, "%s\\Measure\\%04d", kRoot, index);
    return key;
}

// A stored one-run result whose score is reference x 10000.
void StoreScore(const std::string& base, uint32_t reference) {
    uint32_t rec[14] = {1, reference, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0};
    rec[13] = 1 + reference + 1 + 1;
    gui::RegWriteBinary(std::string(kRoot) + "\\Bench\\" + base, "Result", Bytes(rec, sizeof rec));
}

}  // namespace

class ItemEditTest : public ZelbrTest {
protected:
    // Items M01..Mn, catalogued in that order with the selections given.
    void Catalogue(const std::vector<DWORD>& selects) {
        for (size_t i = 0; i < selects.size(); ++i) {
            std::string base = Name(static_cast<int>(i) + 1);
            AddModule(base);
            AddCatalogue(static_cast<int>(i), base + ".BNC", selects[i]);
        }
    }
    static std::string Name(int n) {
        char name[8];
        std::snprintf(name, sizeof name, "M%02d", n);
        return name;
    }
    HWND OpenEditor(HWND main) { return OpenDialog(main, IDC_EDITITEM, kCaption); }
    // "File" and "Select" of every catalogue key, in key order, as "M01.BNC=1".
    static std::vector<std::string> Stored() {
        std::vector<std::string> entries;
        for (int i = 0; gui::RegKeyExists(ItemKey(i)); ++i) {
            std::string file;
            DWORD select = 9;
            gui::RegReadString(ItemKey(i), "File", &file);
            gui::RegReadDword(ItemKey(i), "Select", &select);
            entries.push_back(file + "=" + std::to_string(select));
        }
        return entries;
    }
    static bool UpdateEnabled(HWND dlg) { return gui::IsControlEnabled(dlg, IDC_UPDATE); }
    HWND List(HWND dlg) { return GetDlgItem(dlg, IDC_IE_LIST); }
};

TEST_F(ItemEditTest, ListsCatalogueThenNewModulesAndApplyRenumbersInListOrder) {
    MarkNotFirstStart();
    Settings(1, 0x00);
    AddModule("T1");
    AddModule("T2");
    AddCatalogue(0, "T1.BNC", 1);
    AddCatalogue(3, "GONE.BNC", 1);  // its module was removed
    AddCatalogue(7, "t2.bnc", 0);    // a gap, and another case than the file
    Start();
    // Start-up meets the missing module twice: the slots and the overall score.
    EXPECT_NE(AnswerBox().find("GONE.BNC"), std::string::npos);
    EXPECT_NE(AnswerBox().find("GONE.BNC"), std::string::npos);
    HWND main = WaitMain();
    ASSERT_TRUE(main);
    AddModule("NEW");  // after the start: in no catalogue yet

    ASSERT_TRUE(gui::Click(main, IDC_EDITITEM));
    EXPECT_EQ(AnswerBox(), "選択されていた測定項目の実行ファイル\nGONE.BNC\nが存在しません。\nこの測定項目を削除します");
    HWND dlg = WaitDialog(kCaption);
    ASSERT_TRUE(dlg);
    RemoteList list(List(dlg), program_.process);
    EXPECT_EQ(list.Texts(), (std::vector<std::string>{"T1.BNC", "t2.bnc", "NEW.BNC"}));
    EXPECT_EQ(list.Checks(), (std::vector<UINT>{kTicked, kUnticked, kUnticked}));
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_FALSE(UpdateEnabled(dlg));
    EXPECT_FALSE(gui::IsControlEnabled(dlg, IDC_IE_ITEMHELP));
    EXPECT_FALSE(gui::IsControlEnabled(dlg, IDC_IE_PICTURE)) << "the empty picture";
    EXPECT_EQ(gui::ControlText(dlg, IDC_IE_FILE), "");

    // OK applies: keys renumbered from 0000 in list order, the missing
    // module dropped, the gap gone.
    ASSERT_TRUE(gui::Click(dlg, IDOK));
    ASSERT_TRUE(gui::WaitGone(dlg));
    EXPECT_EQ(Stored(), (std::vector<std::string>{"T1.BNC=1", "t2.bnc=0", "NEW.BNC=0"}));
    EXPECT_FALSE(gui::RegKeyExists(ItemKey(3)));
    EXPECT_FALSE(gui::RegKeyExists(ItemKey(7)));
    DWORD type = 0;
    Value(ItemKey(2).c_str(), "File", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    CloseMain(main);
}

TEST_F(ItemEditTest, CancelWritesNothing) {
    MarkNotFirstStart();
    Settings(1, 0x00);
    Catalogue({1, 0});
    AddCatalogue(5, "M02.BNC", 1);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    HWND dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    RemoteList list(List(dlg), program_.process);
    list.ClickCheck(0);
    EXPECT_EQ(list.Check(0), kUnticked);
    gui::Click(dlg, IDCANCEL);
    ASSERT_TRUE(gui::WaitGone(dlg));
    EXPECT_EQ(Stored(), (std::vector<std::string>{"M01.BNC=1", "M02.BNC=0"}));
    EXPECT_TRUE(gui::RegKeyExists(ItemKey(5)));
    CloseMain(main);
}

TEST_F(ItemEditTest, MouseTogglesCheckMarksAndLabelsOfTheSelectedItemOnly) {
    MarkNotFirstStart();
    Settings(1, 0x00);
    Catalogue({0, 0, 0});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    HWND dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    RemoteList list(List(dlg), program_.process);
    ASSERT_EQ(list.Count(), 3);

    // A label click on another item only selects it and shows it.
    list.ClickLabel(1);
    EXPECT_EQ(list.Selected(), 1);
    EXPECT_EQ(list.Checks(), (std::vector<UINT>{kUnticked, kUnticked, kUnticked}));
    EXPECT_FALSE(UpdateEnabled(dlg));
    EXPECT_EQ(gui::ControlText(dlg, IDC_IE_FILE), "M02.BNC");
    EXPECT_EQ(gui::ControlText(dlg, IDC_IE_NAME), "テスト項目");
    EXPECT_EQ(gui::ControlText(dlg, IDC_IE_VERSION), "1.00");
    EXPECT_EQ(gui::ControlText(dlg, IDC_IE_APP), "テスト");
    EXPECT_EQ(gui::ControlText(dlg, IDC_IE_APPFILE), "TESTMOD.EXE");
    EXPECT_TRUE(gui::IsControlEnabled(dlg, IDC_IE_ITEMHELP));
    EXPECT_TRUE(gui::IsControlEnabled(dlg, IDC_IE_PICTURE)) << "the item's picture";

    // The same label again toggles it, and there is something to apply.
    list.ClickLabel(1);
    EXPECT_EQ(list.Checks(), (std::vector<UINT>{kUnticked, kTicked, kUnticked}));
    EXPECT_TRUE(UpdateEnabled(dlg));
    list.ClickLabel(1);
    EXPECT_EQ(list.Check(1), kUnticked);

    // A check mark toggles whether its item was selected or not.
    list.ClickCheck(2);
    EXPECT_EQ(list.Checks(), (std::vector<UINT>{kUnticked, kUnticked, kTicked}));
    EXPECT_EQ(list.Selected(), 2);
    EXPECT_EQ(gui::ControlText(dlg, IDC_IE_FILE), "M03.BNC");

    // "更新" applies and stays open.
    ASSERT_TRUE(gui::Click(dlg, IDC_UPDATE));
    list.Sync();
    EXPECT_FALSE(UpdateEnabled(dlg));
    EXPECT_EQ(Stored(), (std::vector<std::string>{"M01.BNC=0", "M02.BNC=0", "M03.BNC=1"}));
    EXPECT_TRUE(IsWindowVisible(dlg));

    // A click below the items clears the selection and the description.
    RECT last = list.Label(2);
    list.ClickAt(last.left + 6, last.bottom + 40);
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_EQ(gui::ControlText(dlg, IDC_IE_FILE), "");
    EXPECT_EQ(gui::ControlText(dlg, IDC_IE_NAME), "");
    EXPECT_FALSE(gui::IsControlEnabled(dlg, IDC_IE_ITEMHELP));
    gui::Click(dlg, IDCANCEL);
    ASSERT_TRUE(gui::WaitGone(dlg));
    CloseMain(main);
}

TEST_F(ItemEditTest, KeysToggleOnlyWhenTheSelectionStays) {
    MarkNotFirstStart();
    Settings(1, 0x00);
    Catalogue({0, 0, 0});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    HWND dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    RemoteList list(List(dlg), program_.process);
    list.ClickLabel(0);
    ASSERT_EQ(list.Selected(), 0);

    // Up on the first item leaves it selected: it toggles.
    list.Key(VK_UP);
    EXPECT_EQ(list.Checks(), (std::vector<UINT>{kTicked, kUnticked, kUnticked}));
    // Down moves the selection: nothing toggles, the description follows.
    list.Key(VK_DOWN);
    EXPECT_EQ(list.Selected(), 1);
    EXPECT_EQ(list.Checks(), (std::vector<UINT>{kTicked, kUnticked, kUnticked}));
    EXPECT_EQ(gui::ControlText(dlg, IDC_IE_FILE), "M02.BNC");
    // Space toggles the selected item, twice back.
    list.Key(VK_SPACE);
    EXPECT_EQ(list.Check(1), kTicked);
    list.Key(VK_SPACE);
    EXPECT_EQ(list.Check(1), kUnticked);
    // Left and right do not move a report list's selection: they toggle.
    list.Key(VK_RIGHT);
    EXPECT_EQ(list.Check(1), kTicked);
    // Any other key does not.
    list.Key('X');
    list.Key(VK_F2);
    EXPECT_EQ(list.Checks(), (std::vector<UINT>{kTicked, kTicked, kUnticked}));
    gui::Click(dlg, IDOK);
    ASSERT_TRUE(gui::WaitGone(dlg));
    EXPECT_EQ(Stored(), (std::vector<std::string>{"M01.BNC=1", "M02.BNC=1", "M03.BNC=0"}));
    CloseMain(main);
}

TEST_F(ItemEditTest, MovesKeepTheItemSelectedAndTheLastGoesNowhere) {
    MarkNotFirstStart();
    Settings(1, 0x00);
    Catalogue({1, 0, 1});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    HWND dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    RemoteList list(List(dlg), program_.process);

    // Nothing selected: no move, nothing to apply.
    gui::Click(dlg, IDC_IE_UP);
    list.Sync();
    EXPECT_FALSE(UpdateEnabled(dlg));

    // The last item down: the order stays.
    list.ClickLabel(2);
    ASSERT_TRUE(gui::Click(dlg, IDC_IE_DOWN));
    list.Sync();
    EXPECT_EQ(list.Texts(), (std::vector<std::string>{"M01.BNC", "M02.BNC", "M03.BNC"}));
    EXPECT_EQ(list.Selected(), 2);
    EXPECT_TRUE(UpdateEnabled(dlg));
    ASSERT_TRUE(gui::Click(dlg, IDC_UPDATE));
    list.Sync();
    EXPECT_FALSE(UpdateEnabled(dlg));
    EXPECT_EQ(Stored(), (std::vector<std::string>{"M01.BNC=1", "M02.BNC=0", "M03.BNC=1"}));

    // Up twice: first, with its check mark and still selected; a third up
    // changes nothing.
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(gui::Click(dlg, IDC_IE_UP));
        list.Sync();
    }
    EXPECT_EQ(list.Texts(), (std::vector<std::string>{"M03.BNC", "M01.BNC", "M02.BNC"}));
    EXPECT_EQ(list.Checks(), (std::vector<UINT>{kTicked, kTicked, kUnticked}));
    EXPECT_EQ(list.Selected(), 0);
    // The moved item counts as selected before: its label toggles it.
    list.ClickLabel(0);
    EXPECT_EQ(list.Check(0), kUnticked);
    list.ClickLabel(0);
    EXPECT_EQ(list.Check(0), kTicked);
    // And down once.
    ASSERT_TRUE(gui::Click(dlg, IDC_IE_DOWN));
    list.Sync();
    EXPECT_EQ(list.Texts(), (std::vector<std::string>{"M01.BNC", "M03.BNC", "M02.BNC"}));
    EXPECT_EQ(list.Selected(), 1);
    gui::Click(dlg, IDOK);
    ASSERT_TRUE(gui::WaitGone(dlg));
    EXPECT_EQ(Stored(), (std::vector<std::string>{"M01.BNC=1", "M03.BNC=1", "M02.BNC=0"}));
    CloseMain(main);
}

TEST_F(ItemEditTest, ElevenTickedPutTheFirstTenOnTheMainWindow) {
    MarkNotFirstStart();
    Settings(1, 0x08);  // system information shown: all rows placed
    Catalogue(std::vector<DWORD>(11, 0));
    for (int n = 1; n <= 11; ++n) StoreScore(Name(n), n);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    EXPECT_FALSE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST));
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST), "");
    HWND dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    RemoteList list(List(dlg), program_.process);
    ASSERT_EQ(list.Count(), 11);
    for (int i = 0; i < 11; ++i) list.ClickCheck(i);
    // M11 up to the top: M10 is now the eleventh.
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(gui::Click(dlg, IDC_IE_UP));
        list.Sync();
    }
    ASSERT_EQ(list.Text(0), "M11.BNC");
    gui::Click(dlg, IDOK);
    ASSERT_TRUE(gui::WaitGone(dlg));

    EXPECT_TRUE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST));
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST + 1), "110000");
    for (int slot = 1; slot < 10; ++slot) {
        EXPECT_TRUE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 1 + slot)) << slot;
        EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST + 1 + slot), std::to_string(slot * 10000)) << slot;
    }
    EXPECT_NE(gui::ControlText(main, IDC_NUMLED_FIRST), "") << "overall score shown";
    CloseMain(main);
}

TEST_F(ItemEditTest, CompactWindowHeightFollowsTheItemsAfterApply) {
    MarkNotFirstStart();
    Settings(1, 0x00);
    Catalogue({1, 1, 0, 0});
    StoreScore("M01", 3);
    StoreScore("M02", 4);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    RECT client;
    GetClientRect(main, &client);
    ASSERT_EQ(client.bottom, 160 + 2 * 35);
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST + 1), "30000");

    HWND dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    RemoteList list(List(dlg), program_.process);
    list.ClickCheck(2);
    list.ClickCheck(3);
    list.ClickCheck(0);  // M01 leaves: the slots close up
    ASSERT_TRUE(gui::Click(dlg, IDC_UPDATE));
    EXPECT_TRUE(gui::WaitFor(
        [&] {
            GetClientRect(main, &client);
            return client.bottom == 160 + 3 * 35;
        },
        3000))
        << client.bottom;
    EXPECT_EQ(client.right, 462);
    EXPECT_TRUE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 3));
    EXPECT_FALSE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 4));
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST + 1), "40000") << "M02 moved up to slot 0";
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST + 2), "");

    // Nothing ticked: only the all-items row, and it is disabled.
    for (int i = 1; i < 4; ++i) list.ClickCheck(i);
    ASSERT_TRUE(gui::Click(dlg, IDC_UPDATE));
    EXPECT_TRUE(gui::WaitFor(
        [&] {
            GetClientRect(main, &client);
            return client.bottom == 160;
        },
        3000))
        << client.bottom;
    EXPECT_FALSE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST));
    EXPECT_EQ(gui::ControlText(main, IDC_NUMLED_FIRST + 1), "") << "emptied slots lose their scores";
    EXPECT_EQ(Stored(), (std::vector<std::string>{"M01.BNC=0", "M02.BNC=0", "M03.BNC=0", "M04.BNC=0"}));
    gui::Click(dlg, IDCANCEL);
    ASSERT_TRUE(gui::WaitGone(dlg));
    CloseMain(main);
}

// The compact window shows the item names beside their buttons; another item
// in the same slot, the window keeping its size, must show its own name at
// once, as a fresh start with it shows.
TEST_F(ItemEditTest, CompactWindowShowsTheNameOfAnItemThatTookTheSameSlot) {
    MarkNotFirstStart();
    Settings(1, 0x00);
    Catalogue({1, 0});
    std::string mcr = ReadFileBytes(dir_ + "M02.MCR");
    ASSERT_GT(mcr.size(), 20u + 8);
    mcr.replace(20, 8, std::string("\x95\xca\x82\xcc\x8d\x80\x96\xda", 8));  // another name
    WriteFileBytes(dir_ + "M02.MCR", mcr);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    SetCursorPos(0, 0);
    const RECT names{70, 155, 207, 187};  // the first item's row
    auto row = [&] {
        gui::Image img = GrabSettled(main, true);
        std::vector<COLORREF> px;
        for (int y = names.top; y < names.bottom && y < img.h; ++y)
            for (int x = names.left; x < names.right && x < img.w; ++x) px.push_back(img.At(x, y));
        return px;
    };
    const std::vector<COLORREF> first = row();

    HWND dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    RemoteList list(List(dlg), program_.process);
    list.ClickCheck(0);
    list.ClickCheck(1);
    ASSERT_TRUE(gui::Click(dlg, IDC_UPDATE));
    ASSERT_TRUE(gui::WaitFor([&] { return Stored() == std::vector<std::string>{"M01.BNC=0", "M02.BNC=1"}; }, 3000));
    gui::Click(dlg, IDCANCEL);
    ASSERT_TRUE(gui::WaitGone(dlg));
    RECT client;
    GetClientRect(main, &client);
    ASSERT_EQ(client.bottom, 160 + 35);
    const std::vector<COLORREF> swapped = row();
    EXPECT_NE(swapped, first) << "the new name shows";
    CloseMain(main);

    main = StartMain();
    ASSERT_TRUE(main);
    SetCursorPos(0, 0);
    EXPECT_EQ(row(), swapped) << "as a fresh start shows it";
    CloseMain(main);
}

TEST_F(ItemEditTest, EditorWithAnItemSelectedShowsItsDescriptionAndPicture) {
    MarkNotFirstStart();
    Settings(1, 0x00);
    Catalogue({1, 0, 0, 0});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    HWND dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    RemoteList list(List(dlg), program_.process);
    list.ClickLabel(2);
    EXPECT_EQ(gui::ControlText(dlg, IDC_IE_FILE), "M03.BNC");
    SaveShot(dlg, "item_editor");
    gui::Click(dlg, IDCANCEL);
    ASSERT_TRUE(gui::WaitGone(dlg));
    CloseMain(main);
}

// The help button opens the editor's topic, the item-help button the
// selected item's own help file, both in the one help viewer.
TEST_F(ItemEditTest, HelpButtonsOpenTheEditorsTopicAndTheItemsHelpFile) {
    ASSERT_TRUE(gui::CopyInto(dir_, DistDir() + "ZBHELP.EXE"));
    ASSERT_TRUE(gui::CopyInto(dir_, DistDir() + "ZELBR.HLP"));
    for (const char* f : {"NOTEPAD.BNC", "NOTEPAD.MCR", "NOTEPAD.HLP"}) ASSERT_TRUE(gui::CopyInto(dir_, DistDir() + f));
    MarkNotFirstStart();
    Settings(1, 0x00);
    AddCatalogue(0, "NOTEPAD.BNC", 1);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    HWND dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    auto topic = [](HWND viewer, const std::string& want) {
        gui::WaitFor([&] { return gui::ControlText(viewer, hlp::kIdTitle) == want; }, 10000, 50);
        return gui::ControlText(viewer, hlp::kIdTitle);
    };
    ASSERT_TRUE(gui::Click(dlg, IDC_HELPBTN));
    HWND viewer = gui::WaitWindow(0, hlp::kViewerClass, nullptr, 10000);
    ASSERT_TRUE(viewer);
    EXPECT_EQ(topic(viewer, "測定項目の編集"), "測定項目の編集");
    EXPECT_FALSE(gui::IsControlEnabled(dlg, IDC_IE_ITEMHELP)) << "no item selected yet";
    RemoteList list(List(dlg), program_.process);
    list.ClickLabel(0);
    ASSERT_TRUE(gui::IsControlEnabled(dlg, IDC_IE_ITEMHELP));
    ASSERT_TRUE(gui::Click(dlg, IDC_IE_ITEMHELP));
    EXPECT_EQ(topic(viewer, "テキスト編集 (メモ帳)"), "テキスト編集 (メモ帳)") << "the item's own help file";
    EXPECT_TRUE(IsWindowVisible(dlg));
    gui::Click(dlg, IDCANCEL);
    ASSERT_TRUE(gui::WaitGone(dlg));
    CloseMain(main);
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    gui::WaitGone(viewer, 5000);
}

// An item without a description file: selecting it creates an empty one,
// as the catalogue's reader does, and shows no name.
TEST_F(ItemEditTest, SelectingAnItemWithoutDescriptionCreatesAnEmptyOne) {
    MarkNotFirstStart();
    Settings(1, 0x00);
    AddModule("BARE");
    ASSERT_TRUE(DeleteFileA((dir_ + "BARE.MCR").c_str()));
    AddCatalogue(0, "BARE.BNC", 0);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    HWND dlg = OpenEditor(main);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(GetFileAttributesA((dir_ + "BARE.MCR").c_str()), INVALID_FILE_ATTRIBUTES);
    RemoteList list(List(dlg), program_.process);
    list.ClickLabel(0);
    EXPECT_EQ(gui::ControlText(dlg, IDC_IE_FILE), "BARE.BNC");
    EXPECT_EQ(gui::ControlText(dlg, IDC_IE_NAME), "");
    EXPECT_EQ(ReadFileBytes(dir_ + "BARE.MCR"), "") << "no empty description file was created";
    EXPECT_NE(GetFileAttributesA((dir_ + "BARE.MCR").c_str()), INVALID_FILE_ATTRIBUTES);
    gui::Click(dlg, IDCANCEL);
    ASSERT_TRUE(gui::WaitGone(dlg));
    CloseMain(main);
}

namespace {
// The files of "Measure" in key order, and whether the journal is clear.
std::vector<std::string> StoredFiles() {
    std::vector<std::string> files;
    for (int i = 0; gui::RegKeyExists(ItemKey(i)); ++i) {
        std::string file;
        gui::RegReadString(ItemKey(i), "File", &file);
        files.push_back(file);
    }
    return files;
}
bool JournalClear() {
    std::vector<uint8_t> mark;
    return !gui::RegKeyExists(std::string(kRoot) + "\\MeasureNext") && !gui::RegRead(kRoot, "MeasureSwap", &mark);
}
}  // namespace

// A replacement killed after its new catalogue was complete is finished
// by the next start, before anything reads the catalogue.
TEST_F(ItemEditTest, StartUpFinishesAReplacementCutShort) {
    MarkNotFirstStart();
    Settings(1, 0x00);
    Catalogue({1, 1, 1});
    AddCatalogue(0, "M01.BNC", 1);
    // The sibling is complete and marked; "Measure" was cut halfway.
    gui::RegDeleteTree(ItemKey(1));
    const std::string next = std::string(kRoot) + "\\MeasureNext\\";
    gui::RegWriteString(next + "0000", "File", "M03.BNC");
    gui::RegWriteDword(next + "0000", "Select", 1);
    gui::RegWriteString(next + "0001", "File", "M02.BNC");
    gui::RegWriteDword(next + "0001", "Select", 1);
    gui::RegWriteDword(kRoot, "MeasureSwap", 1);
    HWND main = StartMain();
    ASSERT_TRUE(main);
    EXPECT_EQ(StoredFiles(), (std::vector<std::string>{"M03.BNC", "M02.BNC"}));
    EXPECT_TRUE(JournalClear());
    EXPECT_TRUE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 2));
    EXPECT_FALSE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 3)) << "two items on the buttons";
    CloseMain(main);
}

// The real program killed at swept delays after "更新" with 200 items,
// then started again: the old order or the new one, never a mix.
TEST_F(ItemEditTest, AKilledApplyLeavesTheOldCatalogueOrTheNewAfterTheNextStart) {
    MarkNotFirstStart();
    Settings(1, 0x00);
    std::vector<std::string> before;
    for (int i = 0; i < 200; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "K%03d.BNC", i);
        WriteFileBytes(dir_ + name, "");
        before.push_back(name);
    }
    std::vector<std::string> after = before;
    std::swap(after[0], after[1]);  // the first item moved down
    int old = 0, fresh = 0, mixed = 0, rawMixed = 0;
    for (DWORD delay : {0u, 2u, 5u, 10u, 20u, 30u, 45u, 60u, 80u, 110u, 150u, 250u}) {
        SCOPED_TRACE(delay);
        gui::RegDeleteTree(std::string(kRoot) + "\\Measure");
        for (int i = 0; i < 200; ++i) AddCatalogue(i, before[i], i < 3);
        HWND main = StartMain();
        ASSERT_TRUE(main);
        HWND dlg = OpenEditor(main);
        ASSERT_TRUE(dlg);
        RemoteList list(List(dlg), program_.process);
        list.ClickLabel(0);
        ASSERT_TRUE(gui::Click(dlg, IDC_IE_DOWN));
        ASSERT_TRUE(gui::WaitFor([&] { return UpdateEnabled(dlg); }, 5000));
        ASSERT_TRUE(gui::Click(dlg, IDC_UPDATE));
        Sleep(delay);
        TerminateProcess(program_.process, 9);
        WaitForSingleObject(program_.process, 5000);
        program_.Close();
        std::vector<std::string> raw = StoredFiles();
        rawMixed += raw != before && raw != after;
        main = StartMain();  // the next start
        ASSERT_TRUE(main);
        std::vector<std::string> files = StoredFiles();
        if (files == before) ++old;
        else if (files == after) ++fresh;
        else ++mixed, ADD_FAILURE() << files.size() << " items after the restart";
        EXPECT_TRUE(JournalClear());
        CloseMain(main);
    }
    std::printf("real program killed during apply (12 delays): %d old, %d new, %d mixed after the next start "
                "(%d mixed in the registry before it)\n", old, fresh, mixed, rawMixed);
}
