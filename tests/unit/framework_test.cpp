#include <gtest/gtest.h>

#include <cstring>

#include "framework/commonctl.h"
#include "framework/dialog.h"
#include "framework/kernelproc.h"
#include "framework/regkey.h"
#include "framework/winapp.h"
#include "res/resource.h"
#include "scratch_key.h"

TEST(AppPaths, HelpFileAndTitleComeFromTheExecutablePath) {
    EXPECT_EQ(HelpPathFor("C:\\Prog\\ZELBR.EXE"), "C:\\Prog\\ZELBR.HLP");
    EXPECT_EQ(HelpPathFor("C:\\a.b\\ZELBR"), "C:\\a.b\\ZELBR.HLP");
    EXPECT_EQ(HelpPathFor("C:\\x\\zel.br.exe"), "C:\\x\\zel.br.HLP");
    EXPECT_EQ(TitleFor("C:\\Prog\\ZELBR.EXE"), "ZELBR");
    EXPECT_EQ(TitleFor("ZELBR"), "ZELBR");
}

// What a plain LoadLibrary finds in the program's folder (this test itself,
// already loaded) must not be what a system library is loaded from.
TEST(SystemLibrary, ComesFromTheSystemDirectoryOnly) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const char* base = std::strrchr(self, '\\') + 1;
    ASSERT_NE(LoadLibraryA(base), nullptr);
    EXPECT_EQ(LoadSystemLibrary(base), nullptr);

    HMODULE version = LoadSystemLibrary("version.dll");
    ASSERT_NE(version, nullptr);
    char path[MAX_PATH], sys[MAX_PATH];
    GetModuleFileNameA(version, path, MAX_PATH);
    UINT n = GetSystemDirectoryA(sys, MAX_PATH);
    EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path, n, sys, n), CSTR_EQUAL) << path;
}

// Once restricted, a library in the program's folder is no longer found by
// name; where the platform has no such setting, nothing changes.
TEST(SystemLibrary, NamedLibrariesSkipTheProgramsFolderOnceRestricted) {
    HMODULE plant = LoadLibraryA("zbplant.dll");
    ASSERT_NE(plant, nullptr) << "the library beside the tests";
    FreeLibrary(plant);
    SetKernelResolver([](const char*) -> FARPROC { return nullptr; });
    RestrictLibrarySearch();
    SetKernelResolver(nullptr);
    plant = LoadLibraryA("zbplant.dll");
    EXPECT_NE(plant, nullptr) << "without the setting the search stays as it was";
    FreeLibrary(plant);

    RestrictLibrarySearch();
    EXPECT_EQ(LoadLibraryA("zbplant.dll"), nullptr);
    EXPECT_NE(LoadLibraryA("version.dll"), nullptr) << "system libraries still load";
    // The platform's order again for the tests that follow.
    using SetDirs = BOOL(WINAPI*)(DWORD);
    ResolveKernelAs<SetDirs>("SetDefaultDllDirectories")(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    plant = LoadLibraryA("zbplant.dll");
    EXPECT_NE(plant, nullptr);
    FreeLibrary(plant);
}

namespace {
// Ends as soon as it is made.
class QuickDialog : public CDialog {
public:
    explicit QuickDialog(bool commonControls) : CDialog(IDD_ABOUT) { m_commonControls = commonControls; }

protected:
    BOOL OnInitDialog() override {
        EndDialog(IDOK);
        return TRUE;
    }
};
}  // namespace

// The common controls are loaded before a dialog that may hold them is made
// (Windows does not load them for a template's sake), and not for one that
// says it holds none. The unit_commonctl run repeats this in a process where
// nothing has loaded them before.
TEST(CommonControls, LoadedForTheDialogsThatMayHoldThem) {
    bool before = commonctl::Loaded();
    EXPECT_EQ(QuickDialog(false).DoModal(), IDOK);
    EXPECT_EQ(commonctl::Loaded(), before) << "a dialog without them loads nothing";
    EXPECT_EQ(QuickDialog(true).DoModal(), IDOK);
    EXPECT_TRUE(commonctl::Loaded());
    EXPECT_NE(commonctl::ImageListCreate(16, 16, ILC_COLOR4, 1, 0), nullptr);
}

TEST(RegKeyRead, SizeMismatchAndOversizedTextsCountAsMissing) {
    ScratchKey s;
    RegKey k = s.Sub("Values");
    DWORD d = 0;
    k.WriteBinary("Short", "\x01\x02", 2);
    EXPECT_FALSE(k.ReadDword("Short", &d));
    EXPECT_FALSE(k.ReadDword("Absent", &d));
    k.WriteDword("Ok", 0x12345678);
    EXPECT_TRUE(k.ReadDword("Ok", &d));
    EXPECT_EQ(d, 0x12345678u);

    std::string text;
    k.WriteText("Name", "ｸﾛﾉﾗﾝ");
    ASSERT_TRUE(k.ReadText("Name", &text));
    EXPECT_EQ(text, "ｸﾛﾉﾗﾝ");
    k.WriteText("Long", std::string(300, 'x'));
    EXPECT_FALSE(k.ReadText("Long", &text));
    // Bytes stored without a terminator are taken as they are, no further.
    k.WriteBinary("Raw", "abc", 3);
    ASSERT_TRUE(k.ReadText("Raw", &text));
    EXPECT_EQ(text, "abc");
}

TEST(RegKeyTree, DeletesNestedKeys) {
    ScratchKey s;
    s.Sub("A\\B\\C").WriteDword("v", 1);
    s.Sub("A\\D").WriteDword("v", 2);
    EXPECT_TRUE(DeleteKeyTree(s.root(), "A"));
    RegKey k;
    EXPECT_FALSE(k.Open(s.root(), "A"));
}

namespace {
struct Walk {
    HKEY key;
    size_t found = 99;
};
DWORD WINAPI WalkKey(void* p) {
    Walk* w = static_cast<Walk*>(p);
    w->found = SubkeyNames(w->key).size();
    return 0;
}
}  // namespace

// Another program deletes the key while it is walked: every index then
// answers "key deleted", never "no more items". The walk must end.
TEST(RegKeyTree, SubkeyListingEndsWhenTheKeyIsDeletedUnderIt) {
    ScratchKey s;
    for (const char* k : {"W\\0000", "W\\0001", "W\\0002"}) s.Sub(k);
    RegKey walked;
    ASSERT_TRUE(walked.Open(s.root(), "W"));
    EXPECT_EQ(SubkeyNames(walked.get()).size(), 3u);
    ASSERT_TRUE(DeleteKeyTree(s.root(), "W"));
    char name[256];
    DWORD len = sizeof name;
    const LONG rc = RegEnumKeyExA(walked.get(), 5, name, &len, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(rc, ERROR_NO_MORE_ITEMS) << "this platform does not show the case";
    Walk walk{walked.get()};
    HANDLE t = CreateThread(nullptr, 0, WalkKey, &walk, 0, nullptr);
    ASSERT_TRUE(t);
    const bool ended = WaitForSingleObject(t, 20000) == WAIT_OBJECT_0;
    if (!ended) TerminateThread(t, 1);
    CloseHandle(t);
    EXPECT_TRUE(ended) << "the walk goes on over every 32-bit index";
    EXPECT_EQ(walk.found, 0u);
}

namespace {

INT_PTR CALLBACK PlainProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// A modeless copy of a template from this test program's resources.
struct TemplateWindow {
    explicit TemplateWindow(UINT id) {
        hwnd = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr, PlainProc, 0);
    }
    ~TemplateWindow() { DestroyWindow(hwnd); }
    HWND hwnd;
};

}  // namespace

TEST(DataExchange, RadioGroupFollowsTemplateOrderNotIds) {
    TemplateWindow w(IDD_POSITION);
    ASSERT_TRUE(w.hwnd);
    int mode = 2;  // third button: id 1029, below the other two ids
    CDataExchange(w.hwnd, false).Radio(IDC_POS_CENTER, mode);
    EXPECT_EQ(SendDlgItemMessageA(w.hwnd, IDC_POS_SPECIFIED, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendDlgItemMessageA(w.hwnd, IDC_POS_CENTER, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    int back = -5;
    CDataExchange(w.hwnd, true).Radio(IDC_POS_CENTER, back);
    EXPECT_EQ(back, 2);

    // The group ends before the check box that follows it.
    mode = 3;
    CDataExchange(w.hwnd, false).Radio(IDC_POS_CENTER, mode);
    EXPECT_EQ(SendDlgItemMessageA(w.hwnd, IDC_POS_KEEPINSIDE, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    CDataExchange(w.hwnd, true).Radio(IDC_POS_CENTER, back);
    EXPECT_EQ(back, -1);
}

TEST(DataExchange, TextAndCheckRoundTrip) {
    TemplateWindow w(IDD_POSITION);
    ASSERT_TRUE(w.hwnd);
    std::string x = "-123";
    int keep = 1;
    CDataExchange put(w.hwnd, false);
    put.Text(IDC_POS_X, x);
    put.Check(IDC_POS_KEEPINSIDE, keep);
    std::string xBack;
    int keepBack = 0;
    CDataExchange get(w.hwnd, true);
    get.Text(IDC_POS_X, xBack);
    get.Check(IDC_POS_KEEPINSIDE, keepBack);
    EXPECT_EQ(xBack, "-123");
    EXPECT_EQ(keepBack, 1);
}

TEST(Templates, MainDialogHasItsSixtyOneControls) {
    TemplateWindow w(IDD_MAIN);
    ASSERT_TRUE(w.hwnd);
    int count = 0;
    for (HWND c = GetWindow(w.hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++count;
    EXPECT_EQ(count, 61);
    char text[64] = {};
    GetWindowTextA(w.hwnd, text, sizeof text);
    EXPECT_STREQ(text, "ｸﾛﾉﾗﾝ");
    GetDlgItemTextA(w.hwnd, IDC_VERSIONLINE, text, sizeof text);
    EXPECT_STREQ(text, "ｸﾛﾉﾗﾝ ﾊﾞｰｼﾞｮﾝ 1.00 ");
    const int tools[] = {IDC_CLIPCOPY, IDC_SAVETEXT, IDC_EDITINFO, IDC_EDITITEM, IDC_SAVEITEM,
                         IDC_LOADITEM, IDC_SELLEVEL, IDC_SETWARN,  IDC_SETPOS,   IDC_SELDISP,
                         IDC_HELPFINDER, IDC_ABOUT,  IDOK};
    for (int id : tools) {
        HWND b = GetDlgItem(w.hwnd, id);
        ASSERT_TRUE(b) << id;
        EXPECT_EQ(GetWindowLongA(b, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << id;
    }
    for (int id = IDC_SYSINFO_FIRST; id <= IDC_SYSINFO_FIRST + 12; ++id) EXPECT_TRUE(GetDlgItem(w.hwnd, id)) << id;
}

TEST(Templates, StringTableTextsAreCodePage932) {
    EXPECT_EQ(LoadResString(IDS_MENU_ABOUT), "ﾊﾞｰｼﾞｮﾝ情報(&A)...");
    EXPECT_EQ(LoadResString(IDS_TIP_CLIPCOPY), "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ");
    EXPECT_EQ(LoadResString(IDS_ALLITEMS), "全項目の測定");
    EXPECT_EQ(LoadResString(IDS_CAP_SYSINFO), "システム情報");
    EXPECT_EQ(LoadResString(106), "");  // no entry between 105 and 107
}
