// What the main window looks like: display modes, the palette's colours on
// the panels, picture buttons, LED displays and text panels, read back as
// real pixels of the running program.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "../../res/diapal.h"
#include "../../mainwnd/layout.h"
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

// Every control the layout places stands at its place: at start (in the mode
// stored, with rows left empty pushed down) and after each switch.
TEST_F(DisplayTest, EveryControlStandsWhereTheLayoutPutsItInBothModes) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x07});
    AddItems({"ALPHA", "BETA"});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    auto checkAll = [&](int mode) {
        int placed = 0;
        for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            POINT want;
            if (!layout::ControlOrigin(GetDlgCtrlID(c), mode, 2, &want)) continue;
            ++placed;
            POINT got = ControlOrigin(main, GetDlgCtrlID(c));
            EXPECT_TRUE(got.x == want.x && got.y == want.y)
                << "mode " << mode << ", control " << GetDlgCtrlID(c) << " at " << got.x << "," << got.y
                << " instead of " << want.x << "," << want.y;
        }
        EXPECT_EQ(placed, 61) << "mode " << mode;
    };
    checkAll(0);
    ChooseMode(main, IDC_DISP_SYSINFO);
    checkAll(1);
    ChooseMode(main, IDC_DISP_NORMAL);
    checkAll(0);
    CloseMain(main);

    gui::RegWriteBinary(kIni, "Flag", {0x0F});
    main = StartMain();
    ASSERT_TRUE(main);
    checkAll(1);
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

// A packed DIB of 8 bits a pixel; an empty sheet for anything else.
Sheet DecodeSheet(const uint8_t* d, size_t size) {
    Sheet s;
    if (size < sizeof(BITMAPINFOHEADER)) return s;
    const BITMAPINFOHEADER* h = reinterpret_cast<const BITMAPINFOHEADER*>(d);
    if (h->biBitCount != 8 || h->biWidth <= 0 || h->biHeight <= 0) return s;
    const int w = h->biWidth, ht = h->biHeight, stride = (w + 3) & ~3;
    const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(d + h->biSize);
    const uint8_t* bits = d + h->biSize + 256 * 4;
    for (int y = 0; y < ht; ++y)
        for (int x = 0; x < w; ++x) {
            size_t at = size_t(ht - 1 - y) * stride + x;
            // The last row's padding may lie past the bytes given.
            const RGBQUAD& q = table[bits + at < d + size ? bits[at] : 0];
            s.px.push_back(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
        }
    s.w = w;
    s.h = ht;
    return s;
}

Sheet LoadSheet(const std::string& exe, int id) {
    Sheet s;
    HMODULE m = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!m) return s;
    HRSRC r = FindResourceA(m, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));
    const uint8_t* d = r ? static_cast<const uint8_t*>(LockResource(LoadResource(m, r))) : nullptr;
    if (d) s = DecodeSheet(d, SizeofResource(m, r));
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

// --- the window's own paint, drawn again here from its rules ----------------

namespace {

struct Font {
    int height, width, weight;
    const char* face;
};
const Font kTitleFont = {24, 12, 700, "ＭＳ 明朝"};
const Font kCaptionFont = {18, 9, 400, "ＭＳ ゴシック"};
const Font kCompactFont = {12, 6, 400, "ＭＳ ゴシック"};
const Font kPanelFont = {12, 6, 400, "ＭＳ ゴシック"};

HFONT MakeFont(const Font& f) {
    return CreateFontA(f.height, f.width, 0, 0, f.weight, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_RASTER_PRECIS,
                       CLIP_TT_ALWAYS, PROOF_QUALITY, FF_MODERN | DEFAULT_PITCH, f.face);
}

struct Caption {
    const char* text;
    POINT pos;
};

// A 32-bit surface of this process to draw expected texts on.
struct Surface {
    int w, h;
    HDC dc = nullptr;
    HBITMAP bmp = nullptr;
    HGDIOBJ old = nullptr;
    uint32_t* bits = nullptr;
    Surface(int w_, int h_, COLORREF fill) : w(w_), h(h_) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bmp);
        for (int i = 0; i < w * h; ++i) bits[i] = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
        SetBkMode(dc, TRANSPARENT);
    }
    ~Surface() {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    COLORREF At(int x, int y) const {
        GdiFlush();
        uint32_t v = bits[size_t(y) * w + x];
        return RGB((v >> 16) & 255, (v >> 8) & 255, v & 255);
    }
    // Texts as the panels draw them: the highlight pass in white one pixel
    // down and right, then the text pass in black.
    void Captions(const Font& font, const std::vector<Caption>& captions, bool highlight = true) {
        HFONT f = MakeFont(font);
        HGDIOBJ was = SelectObject(dc, f);
        if (highlight) {
            SetTextColor(dc, RGB(255, 255, 255));
            for (const Caption& c : captions)
                TextOutA(dc, c.pos.x + 1, c.pos.y + 1, c.text, static_cast<int>(strlen(c.text)));
        }
        SetTextColor(dc, RGB(0, 0, 0));
        for (const Caption& c : captions) TextOutA(dc, c.pos.x, c.pos.y, c.text, static_cast<int>(strlen(c.text)));
        SelectObject(dc, was);
        DeleteObject(f);
    }
};

// What the window's pixels should be; unset pixels are not compared.
struct Expected {
    static constexpr COLORREF kAny = 0xFFFFFFFF;
    int w, h;
    std::vector<COLORREF> px;
    Expected(int w_, int h_, COLORREF fill) : w(w_), h(h_), px(size_t(w_) * h_, fill) {}
    explicit Expected(const Surface& s) : w(s.w), h(s.h), px(size_t(s.w) * s.h) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) px[size_t(y) * w + x] = s.At(x, y);
    }
    void Set(int x, int y, COLORREF c) {
        if (x >= 0 && y >= 0 && x < w && y < h) px[size_t(y) * w + x] = c;
    }
    // A line as the platform draws it: its start point, not its end point;
    // horizontal, vertical or at 45 degrees.
    void Line(int x0, int y0, int x1, int y1, COLORREF c) {
        const int dx = (x1 > x0) - (x1 < x0), dy = (y1 > y0) - (y1 < y0);
        for (int x = x0, y = y0; x != x1 || y != y1; x += dx, y += dy) Set(x, y, c);
    }
    void Fill(const RECT& r, COLORREF c) {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) Set(x, y, c);
    }
    // n nested lines: dark above and left, light below and right, then the
    // two corner diagonals over them.
    void Bevel(const RECT& r, int n) {
        for (int i = 0; i < n; ++i) Line(r.left + i, r.bottom - i - 1, r.left + i, r.top + i, Dia(248));
        for (int i = 0; i < n; ++i) Line(r.right - i - 1, r.top + i, r.left + i, r.top + i, Dia(248));
        for (int i = 0; i < n; ++i) Line(r.right - i - 1, r.bottom - i - 2, r.right - i - 1, r.top + i, Dia(255));
        for (int i = 0; i < n; ++i) Line(r.left + i + 1, r.bottom - i - 1, r.right - i - 1, r.bottom - i - 1, Dia(255));
        Line(r.left, r.top, r.left + n, r.top + n, Dia(235));
        Line(r.right - 1, r.bottom - 1, r.right - n - 1, r.bottom - n - 1, Dia(244));
    }
};

// Pixels that differ from what is expected, with the first few named.
::testing::AssertionResult Matches(const gui::Image& img, const Expected& want, int x0 = 0, int y0 = 0) {
    if (img.empty()) return ::testing::AssertionFailure() << "no picture";
    int bad = 0;
    std::string where;
    for (int y = 0; y < want.h; ++y)
        for (int x = 0; x < want.w; ++x) {
            COLORREF c = want.px[size_t(y) * want.w + x];
            if (c == Expected::kAny || x + x0 >= img.w || y + y0 >= img.h) continue;
            COLORREF got = img.At(x + x0, y + y0);
            if (got == c) continue;
            if (++bad <= 6) {
                char b[96];
                snprintf(b, sizeof b, " (%d, %d) is %06lX, not %06lX;", x + x0, y + y0, (unsigned long)got,
                         (unsigned long)c);
                where += b;
            }
        }
    if (bad == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << bad << " pixels differ:" << where;
}

// Rectangles of the visible controls in client coordinates: they paint
// themselves over the window's face.
std::vector<RECT> ControlRects(HWND main) {
    std::vector<RECT> v;
    for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c)) continue;
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        v.push_back(r);
    }
    return v;
}

RECT ControlRect(HWND main, int id) {
    RECT r;
    GetWindowRect(GetDlgItem(main, id), &r);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Ink of a text in a font: its box at the given position.
RECT TextBox(const Font& font, const char* text, POINT pos) {
    Surface s(400, 60, RGB(255, 255, 255));
    s.Captions(font, {{text, {10, 10}}}, false);
    RECT box{1 << 20, 1 << 20, -1, -1};
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x)
            if (s.At(x, y) != RGB(255, 255, 255)) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    OffsetRect(&box, pos.x - 10, pos.y - 10);
    return box;
}

const std::vector<Caption> kSystemCaptionTexts = {
    {"CPU:", {9, 67}},          {"CPUｸﾛｯｸ:", {164, 67}},     {"MHz", {272, 67}},
    {"L1ｷｬｯｼｭ:", {9, 90}},      {"KB", {122, 90}},          {"L2ｷｬｯｼｭ:", {167, 90}},
    {"KB", {281, 90}},          {"ﾒﾓﾘ:", {9, 113}},         {"KB", {101, 113}},
    {"ﾃﾞｨｽｸ ｺﾝﾄﾛｰﾗ:", {9, 136}}, {"ﾃﾞｨｽｸ:", {9, 182}},       {"ｸﾞﾗﾌｨｯｸ ｶｰﾄﾞ:", {9, 205}},
    {"解像度:", {9, 251}},      {"色数:", {187, 251}},       {"ﾈｯﾄﾜｰｸ ｶｰﾄﾞ:", {9, 274}},
    {"ｻｳﾝﾄﾞ ｶｰﾄﾞ:", {9, 320}},  {"ｺﾒﾝﾄ:", {9, 366}},
};

const std::vector<Caption> kToolCaptionTexts = {
    {"ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ", {35, 10}}, {"ﾃｷｽﾄﾌｧｲﾙで保存", {187, 10}},   {"測定項目の編集", {339, 10}},
    {"測定項目の保存", {35, 38}},    {"測定項目の呼び出し", {187, 38}}, {"測定精度の選択", {339, 38}},
    {"警告の設定", {35, 66}},        {"表示位置の設定", {187, 66}},     {"表示ﾓｰﾄﾞの選択", {339, 66}},
    {"ﾍﾙﾌﾟﾄﾋﾟｯｸの検索", {35, 94}},   {"ﾊﾞｰｼﾞｮﾝ情報", {187, 94}},       {"閉じる", {339, 94}},
};

}  // namespace

TEST_F(DisplayTest, SystemPanelFaceBevelsCaptionsAndLogoAsDrawnByTheRules) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x0F});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    SetCursorPos(0, 0);
    const SIZE client = ClientSize(main);
    ASSERT_EQ(client.cx, 633);

    // Face and captions; the title in its own font first.
    Surface s(client.cx, client.cy, Dia(7));
    s.Captions(kTitleFont, {{"システム情報", {84, 37}}});
    s.Captions(kCaptionFont, kSystemCaptionTexts);
    Expected want(s);
    want.Bevel(RECT{3, 30, 309, 426}, 2);
    want.Bevel(RECT{312, 30, 629, 426}, 2);

    // The logo at its place, and its frame around it.
    const RECT logo{544, 5, 626, 24};
    EXPECT_EQ(ControlRect(main, IDC_LOGO).left, logo.left);
    EXPECT_EQ(ControlRect(main, IDC_LOGO).top, logo.top);
    RECT o = logo;
    InflateRect(&o, 2, 2);
    want.Line(o.left, o.top, o.right - 1, o.top, Dia(88));
    want.Line(o.right - 1, o.top, o.right - 1, o.bottom - 1, Dia(88));
    want.Line(o.right - 1, o.bottom - 1, o.left, o.bottom - 1, Dia(88));
    want.Line(o.left, o.bottom - 1, o.left, o.top, Dia(88));
    want.Line(o.left - 1, o.bottom, o.left - 1, o.top - 1, Dia(195));
    want.Line(o.left - 1, o.top - 1, o.right + 1, o.top - 1, Dia(195));
    want.Line(o.right - 2, o.top + 1, o.right - 2, o.bottom - 2, Dia(195));
    want.Line(o.right - 2, o.bottom - 2, o.left, o.bottom - 2, Dia(195));
    want.Line(o.left + 1, o.bottom - 3, o.left + 1, o.top + 1, Dia(41));
    want.Line(o.left + 1, o.top + 1, o.right - 2, o.top + 1, Dia(41));
    want.Line(o.right, o.top, o.right, o.bottom, Dia(41));
    want.Line(o.right, o.bottom, o.left - 1, o.bottom, Dia(41));

    // Controls paint themselves; none may cover a caption.
    for (const RECT& r : ControlRects(main)) want.Fill(r, Expected::kAny);
    Sheet picture = LoadSheet(dir_ + "ZELBR.EXE", 170);
    ASSERT_EQ(picture.w, 82);
    ASSERT_EQ(picture.h, 19);
    for (int y = 0; y < picture.h; ++y)
        for (int x = 0; x < picture.w; ++x) want.Set(logo.left + x, logo.top + y, picture.At(x, y));

    EXPECT_TRUE(Matches(GrabSettled(main, true), want));
    std::vector<Caption> all = kSystemCaptionTexts;
    for (const Caption& c : all) {
        RECT ink = TextBox(kCaptionFont, c.text, c.pos), both;
        for (const RECT& r : ControlRects(main)) EXPECT_FALSE(IntersectRect(&both, &ink, &r)) << c.text;
    }
    SaveShot(main, "paint_mode1");
    CloseMain(main);
}

TEST_F(DisplayTest, NormalModeCaptionsItemNamesAndBevelsAsDrawnByTheRules) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x07});
    AddItems({"ITEMA", "ITEMB"});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    SetCursorPos(0, 0);
    const SIZE client = ClientSize(main);
    ASSERT_EQ(client.cx, 462);
    ASSERT_EQ(client.cy, 160 + 35 * 2);

    Surface s(client.cx, client.cy, Dia(7));
    std::vector<Caption> captions = kToolCaptionTexts;
    captions.push_back({"全項目の測定", {74, 130}});
    captions.push_back({"テスト項目", {74, 165}});
    captions.push_back({"テスト項目", {74, 200}});
    s.Captions(kCompactFont, captions);
    Expected want(s);
    want.Bevel(RECT{3, 115, client.cx - 3, client.cy - 3}, 2);
    for (int k = 0; k <= 2; ++k) want.Bevel(RECT{70, 120 + 35 * k, 207, 152 + 35 * k}, 2);
    for (const RECT& r : ControlRects(main)) want.Fill(r, Expected::kAny);
    EXPECT_TRUE(Matches(GrabSettled(main, true), want));
    for (const Caption& c : captions) {
        RECT ink = TextBox(kCompactFont, c.text, c.pos), both;
        for (const RECT& r : ControlRects(main)) EXPECT_FALSE(IntersectRect(&both, &ink, &r)) << c.text;
    }
    SaveShot(main, "paint_mode0");
    CloseMain(main);
}

TEST_F(DisplayTest, ValueBoxesShowWholeLinesOfTheirText) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x0F});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    SetCursorPos(0, 0);
    // A descender, the full height of kanji, and in the memory box all the
    // digits of the largest memory it is meant for.
    struct Box {
        int id;
        const char* text;
    };
    const Box boxes[] = {
        {1069, "Pentium 漢字"}, {1070, "漢p"},        {1071, "漢p"}, {1072, "漢p"},
        {1073, "12345678"},      {1074, "Wine Adapter 漢字 gjpqy"}, {1075, "Wine Adapter 漢字"},
        {1076, "Wine Adapter 漢字 gjpqy"}, {1077, "1024*768"}, {1078, "16777216"},
        {1079, "Wine Adapter 漢字 gjpqy"}, {1080, "Wine Adapter 漢字 gjpqy"},
    };
    for (const Box& b : boxes) {
        HWND box = GetDlgItem(main, b.id);
        RECT r;
        GetClientRect(box, &r);
        RECT ink = TextBox(kPanelFont, b.text, POINT{4, 5});
        EXPECT_LE(ink.bottom, r.bottom - 2) << b.id << " " << b.text << ": the frame covers the bottom rows";
        EXPECT_LE(ink.right, r.right - 2) << b.id << " " << b.text;
        SetWindowTextA(box, b.text);
        Surface s(r.right, r.bottom, Dia(7));
        s.Captions(kPanelFont, {{b.text, {4, 5}}}, false);
        Expected want(s);
        want.Bevel(r, 2);
        EXPECT_TRUE(Matches(GrabSettled(box, true), want)) << b.id << " " << b.text;
    }
    // The boxes still end before the next row's captions and boxes.
    RECT both;
    for (const Caption& c : kSystemCaptionTexts) {
        RECT ink = TextBox(kCaptionFont, c.text, c.pos);
        for (int id = 1069; id <= 1081; ++id) {
            RECT r = ControlRect(main, id);
            EXPECT_FALSE(IntersectRect(&both, &ink, &r)) << id << " covers " << c.text;
        }
    }
    for (int a = 1069; a <= 1081; ++a)
        for (int b = a + 1; b <= 1081; ++b) {
            RECT ra = ControlRect(main, a), rb = ControlRect(main, b);
            EXPECT_FALSE(IntersectRect(&both, &ra, &rb)) << a << " and " << b;
        }
    SaveShot(main, "value_boxes");
    CloseMain(main);
}

namespace {

// A numeric display drawn from its rules: black face in a 2-pixel bevel,
// N digits of three-line segments, right and bottom aligned.
Expected NumLedPicture(int W, int H, const std::string& text) {
    Expected e(W, H, Dia(0));
    e.Bevel(RECT{0, 0, W, H}, 2);
    const int L = (H - 17) / 2, N = (W - 4) / (L + 8);
    // top, upper left, upper right, middle, lower left, lower right, bottom
    static const char* const kLit[10] = {"1110111", "0010010", "1011101", "1011011", "0111010",
                                         "1101011", "1101111", "1110010", "1111111", "1111011"};
    for (int i = 0; i < N; ++i) {
        const int x = W - 4 - (i + 1) * (L + 6) - 2 * i, y = H - (2 * L + 9) - 4;
        const int n = static_cast<int>(text.size());
        const char* lit = "0000000";
        if (i < n) {
            char c = text[n - 1 - i];
            lit = kLit[c >= '0' && c <= '9' ? c - '0' : 0];
        }
        const POINT origin[7] = {{x + 2, y},         {x, y + 2},         {x + L + 3, y + 2}, {x + 2, y + L + 3},
                                 {x, y + L + 5},     {x + L + 3, y + L + 5}, {x + 2, y + 2 * L + 6}};
        for (int s = 0; s < 7; ++s) {
            const COLORREF c = lit[s] == '1' ? Dia(250) : Dia(39);
            const int sx = origin[s].x, sy = origin[s].y;
            if (s == 0 || s == 3 || s == 6) {
                e.Line(sx + 1, sy, sx + L + 1, sy, c);
                e.Line(sx, sy + 1, sx + L + 2, sy + 1, c);
                e.Line(sx + 1, sy + 2, sx + L + 1, sy + 2, c);
            } else {
                e.Line(sx, sy + 1, sx, sy + L + 1, c);
                e.Line(sx + 1, sy, sx + 1, sy + L + 2, c);
                e.Line(sx + 2, sy + 1, sx + 2, sy + L + 1, c);
            }
        }
    }
    return e;
}

// A level display drawn from its rules: 30 bars of six colour bands.
Expected LevelLedPicture(int W, int H, double value) {
    Expected e(W, H, Dia(0));
    e.Bevel(RECT{0, 0, W, H}, 2);
    const int w = W - 8, bh = H - 8, G = (w / 30) / 2, B = w / 30 - G, X0 = (w - 30 * B - 29 * G) / 2 + 4;
    // One bar a thousand points, and the first for any value but zero.
    const int lit = value == 0 ? 0 : static_cast<int>(std::trunc(value / 1000)) + 1;
    static const int kBand[6][2] = {{30, 249}, {35, 83}, {41, 251}, {39, 250}, {107, 254}, {97, 253}};
    for (int i = 0; i < 30; ++i) {
        const COLORREF c = Dia(kBand[i / 5][i < lit ? 1 : 0]);
        const int x = X0 + i * (B + G), y = 4;
        e.Fill(RECT{x, y + 1, x + B, y + bh - 1}, c);
        if (B >= 3) {
            e.Line(x + 1, y, x + B - 1, y, c);
            e.Line(x + 1, y + bh - 1, x + B - 1, y + bh - 1, c);
        }
    }
    return e;
}

}  // namespace

TEST_F(DisplayTest, ScoreDisplaysMatchTheirDrawingRulesPixelForPixel) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x0F});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    SetCursorPos(0, 0);
    HWND num = GetDlgItem(main, IDC_NUMLED_FIRST + 4);
    HWND level = GetDlgItem(main, IDC_LEVELLED_FIRST + 4);
    RECT rn, rl;
    GetClientRect(num, &rn);
    GetClientRect(level, &rl);
    ASSERT_GE(rn.bottom, 17);
    for (const char* text : {"", "0", "1234567890", "-8", "9", "x7"}) {
        SetWindowTextA(num, text);
        InvalidateRect(num, nullptr, TRUE);
        EXPECT_TRUE(Matches(GrabSettled(num, true), NumLedPicture(rn.right, rn.bottom, text))) << '"' << text << '"';
    }
    const std::pair<const char*, double> values[] = {{"", 0},       {"0", 0},       {"1", 1},         {"999", 999},
                                                     {"1000", 1000}, {"4999", 4999}, {"5000", 5000}, {"14999", 14999},
                                                     {"29000", 29000}, {"8333", 8333}, {"-5", -5},  {"-1500", -1500},
                                                     {"abc", 0},     {" 7e3x", 7000}, {"2.5e9", 2.5e9}};
    for (const auto& v : values) {
        SetWindowTextA(level, v.first);
        InvalidateRect(level, nullptr, TRUE);
        EXPECT_TRUE(Matches(GrabSettled(level, true), LevelLedPicture(rl.right, rl.bottom, v.second)))
            << '"' << v.first << '"';
    }
    CloseMain(main);
}

TEST_F(DisplayTest, ItemButtonsShowPressedAndFocusCells) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x0F});
    AddModule("ITEMA");
    AddCatalogue(0, "ITEMA.BNC");
    HWND main = StartMain();
    ASSERT_TRUE(main);
    SetCursorPos(0, 0);
    std::string mcr = ReadFileBytes(dir_ + "ITEMA.MCR");
    ASSERT_GE(mcr.size(), 184u + 40 + 1024);
    Sheet item = DecodeSheet(reinterpret_cast<const uint8_t*>(mcr.data()) + 184, mcr.size() - 184);
    Sheet all = LoadSheet(dir_ + "ZELBR.EXE", 150);
    ASSERT_EQ(item.w, 118);
    ASSERT_EQ(all.w, 118);
    struct Case {
        int id;
        const Sheet* sheet;
    };
    for (const Case& c : {Case{IDC_ITEMBTN_FIRST, &all}, Case{IDC_ITEMBTN_FIRST + 1, item.w ? &item : nullptr}}) {
        HWND button = GetDlgItem(main, c.id);
        ASSERT_TRUE(IsWindowEnabled(button)) << c.id;
        EXPECT_EQ(CellMismatches(GrabSettled(button, true), *c.sheet, 0, 0), 0) << c.id << " normal";
        PostMessageA(main, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
        ASSERT_TRUE(gui::WaitFor(
            [&] {
                GUITHREADINFO info{};
                info.cbSize = sizeof info;
                return GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) && info.hwndFocus == button;
            },
            3000));
        EXPECT_EQ(CellMismatches(GrabSettled(button, true), *c.sheet, 1, 0), 0) << c.id << " focused";
        SendMessageA(button, BM_SETSTATE, TRUE, 0);
        EXPECT_EQ(CellMismatches(GrabSettled(button, true), *c.sheet, 0, 1), 0) << c.id << " pressed with the focus";
        SendMessageA(button, BM_SETSTATE, FALSE, 0);
        EXPECT_EQ(CellMismatches(GrabSettled(button, true), *c.sheet, 1, 0), 0) << c.id << " released";
    }
    CloseMain(main);
}

TEST_F(DisplayTest, ToolButtonsShowTheirTipsUnderTheMouse) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x0F});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    const std::pair<int, const char*> tips[] = {
        {1021, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ"}, {1022, "ﾃｷｽﾄﾌｧｲﾙで保存"}, {1023, "ｼｽﾃﾑ情報の編集"},
        {1024, "測定項目の編集"},   {1025, "測定項目の保存"}, {1026, "測定項目の呼び出し"},
        {1027, "測定精度の選択"},   {1028, "警告の設定"},     {1029, "表示位置の設定"},
        {1116, "表示ﾓｰﾄﾞの選択"},   {57670, "ﾍﾙﾌﾟﾄﾋﾟｯｸの検索"}, {1031, "ﾊﾞｰｼﾞｮﾝ情報"},
        {1, "閉じる"},
    };
    // The tip window that shows, and its text.
    auto shownTip = [&] {
        for (HWND w : gui::TopWindows(program_.pid, true))
            if (gui::ClassName(w) == "tooltips_class32") return gui::WindowText(w);
        return std::string();
    };
    for (const auto& t : tips) {
        SetCursorPos(0, 0);
        gui::WaitFor([&] { return shownTip().empty(); }, 3000);
        RECT r;
        GetWindowRect(GetDlgItem(main, t.first), &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        std::string got;
        EXPECT_TRUE(gui::WaitFor([&] { return (got = shownTip()) == t.second; }, 6000))
            << t.first << ": \"" << got << "\"";
        if (t.first == IDC_SETPOS) gui::CaptureScreen(DistDir() + "..\\screenshots\\tool_tip.png");
    }
    SetCursorPos(0, 0);
    CloseMain(main);
}

// The run on a palette device must really have one.
TEST_F(DisplayTest, ScreenIsTheDeviceTheRunAskedFor) {
    char want[8] = {};
    if (!GetEnvironmentVariableA("ZELBR_SCREEN_DEPTH", want, sizeof want)) GTEST_SKIP() << "any screen will do";
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES), atoi(want));
    if (atoi(want) == 8) {
        EXPECT_TRUE(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE);
        EXPECT_EQ(GetDeviceCaps(screen, SIZEPALETTE), 256);
    }
    ReleaseDC(nullptr, screen);
}

namespace {

// Mean colour of a region, and how many of its pixels have the look of a
// reference to the system palette taken as a colour: some red, nothing else.
struct Region {
    double r = 0, g = 0, b = 0;
    int reddish = 0, black = 0;
};
Region Measure(const gui::Image& img, const RECT& rc) {
    Region m;
    int n = 0;
    for (int y = rc.top; y < rc.bottom && y < img.h; ++y)
        for (int x = rc.left; x < rc.right && x < img.w; ++x, ++n) {
            COLORREF c = img.At(x, y);
            m.r += GetRValue(c);
            m.g += GetGValue(c);
            m.b += GetBValue(c);
            m.reddish += GetRValue(c) > 0 && GetGValue(c) == 0 && GetBValue(c) == 0;
            m.black += c == 0;
        }
    if (n) m.r /= n, m.g /= n, m.b /= n;
    return m;
}

bool NearGrey(const Region& m, double level) {
    return std::abs(m.r - level) < 12 && std::abs(m.g - level) < 12 && std::abs(m.b - level) < 12;
}

}  // namespace

// The twenty static colours (face, bevels, text, LED faces) are the ones the
// palette names on every screen, a palette device of 256 colours included.
TEST_F(DisplayTest, StaticColoursHoldOnEveryScreen) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x0F});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    SetCursorPos(0, 0);
    gui::Image img = GrabSettled(main, true);
    ASSERT_EQ(img.w, 633);
    // Face between the disk controller caption and its box, and below the items.
    for (const RECT& face : {RECT{150, 138, 300, 155}, RECT{320, 428, 620, 452}}) {
        Region m = Measure(img, face);
        EXPECT_TRUE(NearGrey(m, 192)) << "face " << m.r << " " << m.g << " " << m.b;
        EXPECT_EQ(m.reddish, 0);
    }
    // Bevel lines: grey above and left, white below and right.
    for (int x = 10; x < 300; x += 7) {
        EXPECT_EQ(img.At(x, 30), Dia(248)) << x;
        EXPECT_EQ(img.At(x, 425), Dia(255)) << x;
    }
    for (int y = 40; y < 420; y += 7) {
        EXPECT_EQ(img.At(3, y), Dia(248)) << y;
        EXPECT_EQ(img.At(628, y), Dia(255)) << y;
    }
    // Black text on the grey face of the value boxes and the version line.
    for (int id : {1042, 1069, 1074, 1076, 1079, 1080}) {
        HWND box = GetDlgItem(main, id);
        SetWindowTextA(box, "Wine Adapter 漢字");
        gui::Image b = GrabSettled(box, true);
        Region m = Measure(b, RECT{2, 2, b.w - 2, b.h - 2});
        EXPECT_GT(m.black, 40) << id << ": text";
        EXPECT_EQ(m.reddish, 0) << id;
        EXPECT_TRUE(NearGrey(Measure(b, RECT{2, 2, 4, b.h - 2}), 192)) << id << ": face";
        EXPECT_EQ(b.At(0, b.h / 2), Dia(248)) << id;
        EXPECT_EQ(b.At(b.w - 1, b.h / 2), Dia(255)) << id;
    }
    // Score displays: black, with the lit segments in the bright green.
    HWND num = GetDlgItem(main, IDC_NUMLED_FIRST);
    SetWindowTextA(num, "8");
    gui::Image led = GrabSettled(num, true);
    EXPECT_EQ(led.At(2, 2), Dia(0));
    EXPECT_EQ(led.At(led.w / 2, 1), Dia(248));
    const int L = (led.h - 17) / 2, x = led.w - 4 - (L + 6), y = led.h - (2 * L + 9) - 4;
    EXPECT_EQ(led.At(x + 3 + L / 2, y + 1), Dia(250)) << "lit top segment";
    SaveShot(main, "static_colours");
    CloseMain(main);
}
