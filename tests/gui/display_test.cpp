// What the main window looks like: display modes, the palette's colours on
// the panels, picture buttons, LED displays and text panels, read back as
// real pixels of the running program.
#include "../../res/diapal.h"
#include "../../res/resource.h"
#include "zelbr_fixture.h"

using namespace zelbr;

namespace {

COLORREF Dia(int k) { return RGB(kDiaPal[k][0], kDiaPal[k][1], kDiaPal[k][2]); }

SIZE ClientSize(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    return SIZE{r.right, r.bottom};
}

POINT ClientCorner(HWND w) {
    POINT p{0, 0};
    ClientToScreen(w, &p);
    return p;
}

POINT ControlOrigin(HWND main, int id) {
    RECT r;
    GetWindowRect(GetDlgItem(main, id), &r);
    POINT p{r.left, r.top};
    ScreenToClient(main, &p);
    return p;
}

bool MenuEntryGreyed(HWND main, UINT id) {
    for (const gui::MenuItem& m : gui::SystemMenuItems(main))
        if (m.id == id) return m.grayed;
    ADD_FAILURE() << "no system menu entry " << id;
    return false;
}

}  // namespace

class DisplayTest : public ZelbrTest {
protected:
    // Chooses a display mode in the dialog and closes it with OK.
    void ChooseMode(HWND main, int radioId) {
        HWND dlg = OpenDialog(main, IDC_SELDISP, "表示モードの選択");
        ASSERT_TRUE(dlg);
        SaveShot(dlg, "display_mode");
        ASSERT_TRUE(gui::Click(dlg, radioId));
        ASSERT_TRUE(gui::WaitFor([&] { return gui::CheckState(dlg, radioId) == BST_CHECKED; }, 3000));
        gui::Click(dlg, IDOK);
        ASSERT_TRUE(gui::WaitGone(dlg));
        DWORD_PTR ignored;
        SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    }
};

TEST_F(DisplayTest, ModeDialogSwitchesTheLayoutInPlaceAndStoresTheBit) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x07});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    EXPECT_EQ(ClientSize(main).cx, 462);
    EXPECT_EQ(ClientSize(main).cy, 160);
    EXPECT_TRUE(MenuEntryGreyed(main, IDM_EDITINFO));
    EXPECT_FALSE(gui::IsControlEnabled(main, IDC_EDITINFO));
    EXPECT_EQ(ControlOrigin(main, IDC_EDITINFO).x, 800) << "parked";
    const POINT corner = ClientCorner(main);

    ChooseMode(main, IDC_DISP_SYSINFO);
    EXPECT_EQ(ClientSize(main).cx, 633);
    EXPECT_EQ(ClientSize(main).cy, 455);
    EXPECT_EQ(ClientCorner(main).x, corner.x) << "the window keeps its corner";
    EXPECT_EQ(ClientCorner(main).y, corner.y);
    EXPECT_EQ(Value(kIni, "Flag"), std::vector<uint8_t>{0x0F});
    EXPECT_FALSE(MenuEntryGreyed(main, IDM_EDITINFO));
    EXPECT_TRUE(gui::IsControlEnabled(main, IDC_EDITINFO));
    EXPECT_EQ(ControlOrigin(main, IDC_EDITINFO).x, 72);
    EXPECT_EQ(ControlOrigin(main, IDC_SELDISP).x, 300);
    EXPECT_EQ(ControlOrigin(main, IDC_ITEMBTN_FIRST).x, 318);
    SaveShot(main, "display_mode1_switched");

    // The mode already in force writes nothing (a write would repair this
    // malformed value), and Cancel changes nothing.
    gui::RegWriteBinary(kIni, "Flag", {0x8F, 0x00});
    ChooseMode(main, IDC_DISP_SYSINFO);
    EXPECT_EQ(Value(kIni, "Flag"), (std::vector<uint8_t>{0x8F, 0x00}));
    gui::RegWriteBinary(kIni, "Flag", {0x8F});
    ASSERT_TRUE(gui::Click(main, IDC_SELDISP));
    HWND dlg = WaitDialog("表示モードの選択");
    ASSERT_TRUE(dlg);
    EXPECT_EQ(gui::CheckState(dlg, IDC_DISP_SYSINFO), BST_CHECKED);
    gui::Click(dlg, IDC_DISP_NORMAL);
    gui::Click(dlg, IDCANCEL);
    ASSERT_TRUE(gui::WaitGone(dlg));
    EXPECT_EQ(ClientSize(main).cx, 633);
    EXPECT_EQ(Value(kIni, "Flag"), std::vector<uint8_t>{0x8F});

    // Back to normal: other bits stay.
    ChooseMode(main, IDC_DISP_NORMAL);
    EXPECT_EQ(ClientSize(main).cx, 462);
    EXPECT_EQ(ClientSize(main).cy, 160);
    EXPECT_EQ(ClientCorner(main).x, corner.x);
    EXPECT_EQ(Value(kIni, "Flag"), std::vector<uint8_t>{0x87});
    EXPECT_TRUE(MenuEntryGreyed(main, IDM_EDITINFO));
    EXPECT_EQ(ControlOrigin(main, IDC_EDITINFO).y, 600);
    CloseMain(main);
}

namespace {

// A bitmap resource of the program file, decoded here on its own: 8 bits a
// pixel with a colour table, rows bottom-up.
struct Sheet {
    int w = 0, h = 0;
    std::vector<COLORREF> px;  // top-down
    COLORREF At(int x, int y) const { return px[size_t(y) * w + x]; }
};

Sheet LoadSheet(const std::string& exe, int id) {
    Sheet s;
    HMODULE m = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!m) return s;
    HRSRC r = FindResourceA(m, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));
    const uint8_t* d = r ? static_cast<const uint8_t*>(LockResource(LoadResource(m, r))) : nullptr;
    if (d) {
        const BITMAPINFOHEADER* h = reinterpret_cast<const BITMAPINFOHEADER*>(d);
        if (h->biBitCount == 8) {
            s.w = h->biWidth;
            s.h = h->biHeight;
            const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(d + h->biSize);
            const uint8_t* bits = d + h->biSize + 256 * 4;
            int stride = (s.w + 3) & ~3;
            for (int y = 0; y < s.h; ++y)
                for (int x = 0; x < s.w; ++x) {
                    const RGBQUAD& q = table[bits[size_t(s.h - 1 - y) * stride + x]];
                    s.px.push_back(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
                }
        }
    }
    FreeLibrary(m);
    return s;
}

// Pixels of a button that differ from cell (col, row) of its sheet.
int CellMismatches(const gui::Image& img, const Sheet& sheet, int col, int row) {
    int cw = sheet.w / 2, ch = sheet.h / 2, bad = 0;
    if (img.w != cw || img.h != ch) return -1;
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x)
            if (img.At(x, y) != sheet.At(col * cw + x, row * ch + y)) ++bad;
    return bad;
}

bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 200; }

// Whether rows y0..y1 hold dark (text) pixels between x0 and x1 (exclusive,
// inside the frame).
bool InkBetween(const gui::Image& img, int y0, int y1, int x0 = 3, int x1 = 1 << 30) {
    for (int y = y0; y < y1 && y < img.h - 2; ++y)
        for (int x = x0; x < x1 && x < img.w - 2; ++x)
            if (Dark(img.At(x, y))) return true;
    return false;
}

}  // namespace

TEST_F(DisplayTest, ButtonsShowTheCellOfTheirState) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x0F});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    const std::string exe = dir_ + "ZELBR.EXE";
    // No items: the all-items button and the empty slots are disabled.
    Sheet all = LoadSheet(exe, 150), empty = LoadSheet(exe, 151);
    ASSERT_EQ(all.w, 118);
    ASSERT_EQ(empty.h, 66);
    Settle(main);
    EXPECT_EQ(CellMismatches(gui::Grab(GetDlgItem(main, IDC_ITEMBTN_FIRST), true), all, 1, 1), 0);
    EXPECT_EQ(CellMismatches(gui::Grab(GetDlgItem(main, IDC_ITEMBTN_FIRST + 3), true), empty, 1, 1), 0);

    // The focused tool button shows its focus cell, the others their normal one.
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info));
    const std::pair<int, int> tools[] = {{IDC_CLIPCOPY, 156}, {IDC_SAVETEXT, 157}, {IDC_SETWARN, 163}, {IDOK, 168}};
    int focused = 0;
    for (const auto& t : tools) {
        HWND button = GetDlgItem(main, t.first);
        Sheet sheet = LoadSheet(exe, t.second);
        ASSERT_EQ(sheet.w, 52) << t.second;
        bool focus = info.hwndFocus == button;
        focused += focus;
        EXPECT_EQ(CellMismatches(gui::Grab(button, true), sheet, focus ? 1 : 0, 0), 0) << t.first;
    }
    EXPECT_EQ(focused, 1) << "the first tool button has the focus at start";
    CloseMain(main);
}

TEST_F(DisplayTest, ScoreDisplaysLightTheirSegmentsAndLamps) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x0F});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    HWND num = GetDlgItem(main, IDC_NUMLED_FIRST + 2);
    HWND level = GetDlgItem(main, IDC_LEVELLED_FIRST + 2);
    auto show = [&](const char* text) {
        SetWindowTextA(num, text);
        SetWindowTextA(level, text);
        InvalidateRect(num, nullptr, TRUE);
        InvalidateRect(level, nullptr, TRUE);
    };
    RECT r;
    GetClientRect(num, &r);
    const int W = r.right, H = r.bottom, L = (H - 17) / 2;
    ASSERT_GT(L, 2);
    // Centre pixels of the top and middle segments of digit i.
    auto digitX = [&](int i) { return W - 4 - (i + 1) * (L + 6) - 2 * i; };
    const int y = H - (2 * L + 9) - 4;
    auto top = [&](const gui::Image& img, int i) { return img.At(digitX(i) + 3 + L / 2, y + 1); };
    auto middle = [&](const gui::Image& img, int i) { return img.At(digitX(i) + 3 + L / 2, y + L + 4); };
    const COLORREF lit = Dia(250), unlit = Dia(39);

    show("0");
    gui::Image img = GrabSettled(num, true);
    EXPECT_EQ(top(img, 0), lit);
    EXPECT_EQ(img.At(digitX(0) + 3 + L / 2, y), lit) << "the digit's top row";
    EXPECT_EQ(img.At(digitX(0) + 3 + L / 2, y - 1), Dia(0)) << "black above it";
    EXPECT_EQ(middle(img, 0), unlit) << "a 0 has no middle bar";
    EXPECT_EQ(top(img, 1), unlit) << "positions without a character are a dim 8";
    EXPECT_EQ(img.At(0, 0), Dia(235)) << "frame corner";
    EXPECT_EQ(img.At(0, H / 2), Dia(248));
    EXPECT_EQ(img.At(W - 1, H / 2), Dia(255));
    EXPECT_EQ(img.At(2, 2), Dia(0)) << "black face";
    show("7");
    img = GrabSettled(num, true);
    EXPECT_EQ(top(img, 0), lit);
    EXPECT_EQ(middle(img, 0), unlit);
    show("-8");
    img = GrabSettled(num, true);
    EXPECT_EQ(middle(img, 0), lit);
    EXPECT_EQ(top(img, 1), lit) << "a minus sign shows as a lit 0";
    EXPECT_EQ(middle(img, 1), unlit);

    // Lamps: bars of B pixels with gaps of G, centred.
    GetClientRect(level, &r);
    const int w = r.right - 8, G = (w / 30) / 2, B = w / 30 - G, X0 = (w - 30 * B - 29 * G) / 2 + 4;
    ASSERT_GT(B, 0);
    auto bar = [&](const gui::Image& im, int i) { return im.At(X0 + i * (B + G) + B / 2, r.bottom / 2); };
    show("5000");
    img = GrabSettled(level, true);
    EXPECT_EQ(bar(img, 0), Dia(249));
    EXPECT_EQ(bar(img, 4), Dia(249));
    EXPECT_EQ(bar(img, 5), Dia(83)) << "the sixth lamp is the first orange one";
    EXPECT_EQ(bar(img, 6), Dia(35));
    EXPECT_EQ(bar(img, 29), Dia(97));
    if (G > 0) {
        EXPECT_EQ(img.At(X0 + B, r.bottom / 2), Dia(0)) << "gap";
    }
    EXPECT_EQ(img.At(X0, 4), Dia(0)) << "rounded corner: the top row is one pixel shorter";
    EXPECT_EQ(img.At(X0 + 1, 4), Dia(249));
    show("");
    img = GrabSettled(level, true);
    EXPECT_EQ(bar(img, 0), Dia(30));
    show("29999");
    img = GrabSettled(level, true);
    EXPECT_EQ(bar(img, 29), Dia(253));
    CloseMain(main);
}

TEST_F(DisplayTest, TextPanelsDrawThreeLinesOnGrey) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x0F});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    HWND comment = GetDlgItem(main, IDC_SYSINFO_FIRST + 12);
    RECT r;
    GetClientRect(comment, &r);
    ASSERT_GE(r.bottom, 48) << "room below a third line";
    auto show = [&](const char* text) {
        SetWindowTextA(comment, text);
        InvalidateRect(comment, nullptr, TRUE);
        return GrabSettled(comment, true);
    };
    gui::Image img = show("WW\r\nWW\r\nWW\r\nWW");
    EXPECT_TRUE(InkBetween(img, 5, 18));
    EXPECT_TRUE(InkBetween(img, 18, 31));
    EXPECT_TRUE(InkBetween(img, 31, 44));
    EXPECT_FALSE(InkBetween(img, 44, r.bottom)) << "no fourth line";
    EXPECT_EQ(img.At(r.right / 2, r.bottom - 3), Dia(7)) << "grey face";
    EXPECT_EQ(img.At(0, 0), Dia(235));
    EXPECT_EQ(img.At(r.right - 1, r.bottom / 2), Dia(255));

    img = show("WW\nWW");
    EXPECT_TRUE(InkBetween(img, 5, 18));
    EXPECT_FALSE(InkBetween(img, 18, r.bottom)) << "a lone LF breaks no line";
    // A tab opening a line of several becomes four 6-pixel spaces; a text of
    // one line keeps its tab as a character.
    img = show("x\r\n\tW");
    EXPECT_FALSE(InkBetween(img, 18, 31, 3, 4 + 4 * 6));
    EXPECT_TRUE(InkBetween(img, 18, 31, 4 + 4 * 6, 4 + 5 * 6));
    img = show("\tW");
    EXPECT_TRUE(InkBetween(img, 5, 18, 3, 4 + 4 * 6));
    img = show("");
    EXPECT_FALSE(InkBetween(img, 0, r.bottom));
    CloseMain(main);
}
