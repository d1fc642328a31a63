// Drawing rules of the self-drawn widgets, and the reading of pictures from
// bytes that anyone may have written.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/winapp.h"
#include "items/description.h"
#include "res/diapal.h"
#include "widgets/bevel.h"
#include "widgets/dib.h"
#include "widgets/imagebtn.h"
#include "widgets/led.h"
#include "widgets/palette.h"
#include "widgets/textpanel.h"

namespace {

COLORREF Dia(int k) { return RGB(kDiaPal[k][0], kDiaPal[k][1], kDiaPal[k][2]); }

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(x >> (8 * i));
}

// A packed DIB: header, colour table of `colours` entries, zeroed bits.
std::vector<uint8_t> MakeDib(int32_t w, int32_t h, uint16_t bits, uint32_t clrUsed = 0) {
    uint32_t colours = dib::ColourCount(bits, clrUsed);
    size_t stride = (size_t(w) * bits + 31) / 32 * 4;
    std::vector<uint8_t> d(40 + colours * 4 + stride * size_t(h < 0 ? -h : h), 0);
    Put32(d, 0, 40);
    Put32(d, 4, uint32_t(w));
    Put32(d, 8, uint32_t(h));
    d[12] = 1;
    d[14] = uint8_t(bits);
    Put32(d, 32, clrUsed);
    return d;
}

// The palette's colour table as a DIB, as the "DIAPAL" resource holds it.
std::vector<uint8_t> DiaPalDib() {
    std::vector<uint8_t> d = MakeDib(1, 1, 8);
    for (int k = 0; k < 256; ++k) {
        d[40 + 4 * k] = kDiaPal[k][2];
        d[41 + 4 * k] = kDiaPal[k][1];
        d[42 + 4 * k] = kDiaPal[k][0];
    }
    return d;
}

// A 24-bit memory surface with the application's colours selected, to draw
// on and read back.
struct Canvas {
    Canvas(int w, int h) {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 24;
        bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, nullptr, nullptr, 0);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bmp);
        PALETTEENTRY entries[256];
        std::vector<uint8_t> d = DiaPalDib();
        BuildPaletteEntries(d.data(), d.size(), 24, entries);
        std::vector<uint8_t> buf(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
        LOGPALETTE* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
        lp->palVersion = 0x300;
        lp->palNumEntries = 256;
        std::memcpy(lp->palPalEntry, entries, sizeof entries);
        palette = CreatePalette(lp);
        oldPalette = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
        RECT r{0, 0, w, h};
        HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
        FillRect(dc, &r, b);
        DeleteObject(b);
    }
    ~Canvas() {
        SelectPalette(dc, oldPalette, FALSE);
        DeleteObject(palette);
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
    HDC dc;
    HBITMAP bmp;
    HGDIOBJ old;
    HPALETTE palette, oldPalette;
};

}  // namespace

TEST(Dib, SoundPicturesParseAndHostileHeadersFailCleanly) {
    std::vector<uint8_t> d = MakeDib(118, 66, 8);
    dib::Layout l;
    ASSERT_TRUE(dib::Parse(d.data(), d.size(), &l));
    EXPECT_EQ(l.colours, 256u);
    EXPECT_EQ(l.bitsOffset, 40u + 1024u);
    EXPECT_EQ(l.bitsSize, 120u * 66u) << "rows padded to four bytes";
    EXPECT_FALSE(dib::Parse(d.data(), d.size() - 1, &l)) << "the last row cut short";

    std::vector<uint8_t> top = MakeDib(3, -2, 24);
    ASSERT_TRUE(dib::Parse(top.data(), top.size(), &l));
    EXPECT_EQ(l.colours, 0u) << "24 bits and no used-colour count: no table";
    EXPECT_EQ(l.bitsSize, 2u * 12u);

    // A used-colour count decides the table; only its low 16 bits count.
    std::vector<uint8_t> four = MakeDib(4, 4, 4, 0x10003);
    ASSERT_TRUE(dib::Parse(four.data(), four.size(), &l));
    EXPECT_EQ(l.colours, 3u);

    auto fails = [&](std::vector<uint8_t> bad, const char* why) {
        EXPECT_FALSE(dib::Parse(bad.data(), bad.size(), &l)) << why;
    };
    auto with = [&](size_t at, uint32_t v) {
        std::vector<uint8_t> b = d;
        Put32(b, at, v);
        return b;
    };
    fails(std::vector<uint8_t>(d.begin(), d.begin() + 39), "shorter than a header");
    fails(with(0, 0x7FFFFFFF), "header claiming a huge size");
    fails(with(0, 12), "old core header");
    fails(with(4, 0), "no width");
    fails(with(8, 0x80000000u), "height of the most negative number");
    fails(with(4, 100000), "huge width");
    fails(with(16, 1), "compressed");
    fails(with(32, 257), "more than 256 colours");
    {
        std::vector<uint8_t> b = d;
        b[14] = 7;
        fails(b, "odd bit count");
        b[14] = 8;
        b[12] = 2;
        fails(b, "two planes");
    }
    fails(MakeDib(4, 4, 8, 300), "table running past the bytes");
    EXPECT_FALSE(dib::Parse(nullptr, 100, &l));
}

TEST(Dib, BitmapIsBuiltFromTheCheckedBytesOnly) {
    // An 8-bit DIB with three colours and a used-colour count of 0x10003,
    // placed so that its last byte is the last readable one: GDI, handed the
    // stored header, would read a full table of 256 entries and fault.
    std::vector<uint8_t> d = MakeDib(2, 2, 8, 0x10003);
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    uint8_t* pages = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * si.dwPageSize, MEM_RESERVE | MEM_COMMIT,
                                                        PAGE_READWRITE));
    ASSERT_TRUE(pages);
    DWORD was;
    VirtualProtect(pages + si.dwPageSize, si.dwPageSize, PAGE_NOACCESS, &was);
    uint8_t* at = pages + si.dwPageSize - d.size();
    std::memcpy(at, d.data(), d.size());
    HBITMAP bmp = LoadDibBitmap(GetDesktopWindow(), at, d.size());
    ASSERT_TRUE(bmp);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    BITMAP info;
    GetObjectA(bmp, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 2);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
    EXPECT_FALSE(LoadDibBitmap(GetDesktopWindow(), at, d.size() - 1)) << "one byte short";
    VirtualFree(pages, 0, MEM_RELEASE);

    // 24 bits a pixel convert without any palette.
    std::vector<uint8_t> rgb = MakeDib(1, 1, 24);
    rgb[40] = 0x30, rgb[41] = 0x20, rgb[42] = 0x10;
    bmp = LoadDibBitmap(GetDesktopWindow(), rgb.data(), rgb.size());
    ASSERT_TRUE(bmp);
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc, bmp);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0x10, 0x20, 0x30));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
}

TEST(Description, ButtonPictureNeedsTheWholeSheetAndNamesStopAtTheirField) {
    std::vector<uint8_t> rec(items::kDescriptionSize, 0);
    std::vector<uint8_t> sheet = MakeDib(118, 66, 8);
    ASSERT_EQ(items::kDibOffset + sheet.size(), items::kDescriptionSize + 1) << "one byte short by design";
    std::memcpy(rec.data() + items::kDibOffset, sheet.data(), sheet.size() - 1);
    EXPECT_EQ(items::ButtonPicture(rec.data(), rec.size()).size(), sheet.size());
    EXPECT_TRUE(items::ButtonPicture(rec.data(), rec.size() - 1).empty()) << "a file cut short";
    EXPECT_TRUE(items::ButtonPicture(rec.data(), 100).empty());
    // Bytes past the record are never taken for the picture's last byte.
    std::vector<uint8_t> longer = rec;
    longer.push_back(0xEE);
    std::vector<uint8_t> picture = items::ButtonPicture(longer.data(), longer.size());
    ASSERT_EQ(picture.size(), sheet.size());
    EXPECT_EQ(picture.back(), 0);
    // Another size is no button sheet.
    std::vector<uint8_t> small = MakeDib(59, 33, 8);
    std::fill(rec.begin() + items::kDibOffset, rec.end(), 0);
    std::memcpy(rec.data() + items::kDibOffset, small.data(), small.size());
    EXPECT_TRUE(items::ButtonPicture(rec.data(), rec.size()).empty());

    std::memset(rec.data() + items::kNameOffset, 'N', items::kNameSize);
    rec[items::kAppOffset] = 'A';
    EXPECT_EQ(items::ParseItemDescription(rec.data(), rec.size()).name, std::string(64, 'N'));
    EXPECT_EQ(items::DescriptionField(rec.data(), 50, items::kNameOffset, items::kNameSize), std::string(30, 'N'));
}

TEST(Palette, StaticColoursMatchTheSystemsOnlyOnAnEightBitDisplay) {
    std::vector<uint8_t> d = DiaPalDib();
    PALETTEENTRY e[256];
    ASSERT_TRUE(BuildPaletteEntries(d.data(), d.size(), 8, e));
    // Their own colours with no flags: matched to the static entries, never
    // a reference (Wine paints a reference to entry k as the colour (k, 0, 0)).
    for (int k : {0, 1, 7, 9, 246, 248, 255}) {
        EXPECT_EQ(RGB(e[k].peRed, e[k].peGreen, e[k].peBlue), Dia(k)) << k;
        EXPECT_EQ(e[k].peFlags, 0) << k;
    }
    for (int k : {10, 128, 245}) {
        EXPECT_EQ(RGB(e[k].peRed, e[k].peGreen, e[k].peBlue), Dia(k)) << k;
        EXPECT_EQ(e[k].peFlags, PC_NOCOLLAPSE) << k;
    }
    // True colour, and a planar 16-colour display (4 planes): all from the table.
    for (int depth : {24, 4}) {
        ASSERT_TRUE(BuildPaletteEntries(d.data(), d.size(), depth, e));
        for (int k : {0, 7, 9, 10, 233, 246, 249, 255}) {
            EXPECT_EQ(RGB(e[k].peRed, e[k].peGreen, e[k].peBlue), Dia(k)) << depth << " " << k;
            EXPECT_EQ(e[k].peFlags, PC_NOCOLLAPSE);
        }
    }
    std::vector<uint8_t> small = MakeDib(1, 1, 4);
    EXPECT_FALSE(BuildPaletteEntries(small.data(), small.size(), 24, e)) << "not a 256-colour table";
}

TEST(Bevel, TwoPixelsDarkAboveLightBelowWithCornerDiagonals) {
    Canvas c(40, 30);
    DrawSunkenBevel(c.dc, RECT{5, 5, 35, 25}, 2);
    const COLORREF dark = Dia(248), light = Dia(255), background = RGB(1, 2, 3);
    EXPECT_EQ(c.At(15, 5), dark);
    EXPECT_EQ(c.At(15, 6), dark);
    EXPECT_EQ(c.At(15, 7), background);
    EXPECT_EQ(c.At(5, 15), dark);
    EXPECT_EQ(c.At(6, 15), dark);
    EXPECT_EQ(c.At(34, 15), light);
    EXPECT_EQ(c.At(33, 15), light);
    EXPECT_EQ(c.At(32, 15), background);
    EXPECT_EQ(c.At(15, 24), light);
    EXPECT_EQ(c.At(15, 23), light);
    EXPECT_EQ(c.At(15, 25), background);  // bottom is exclusive
    // Corner diagonals overdraw where the lines meet.
    EXPECT_EQ(c.At(5, 5), Dia(235));
    EXPECT_EQ(c.At(6, 6), Dia(235));
    EXPECT_EQ(c.At(34, 24), Dia(244));
    EXPECT_EQ(c.At(33, 23), Dia(244));
}

TEST(ImageButton, PressedBeatsFocusFocusBeatsDisabled) {
    auto cell = [](UINT state) {
        POINT p = SheetCell(state);
        return p.x * 10 + p.y;
    };
    EXPECT_EQ(cell(0), 0);
    EXPECT_EQ(cell(ODS_SELECTED | ODS_FOCUS | ODS_DISABLED), 1);
    EXPECT_EQ(cell(ODS_FOCUS | ODS_DISABLED), 10);
    EXPECT_EQ(cell(ODS_DISABLED), 11);
    // Mouse messages go on to the tool tip; double clicks do not.
    for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN,
                   WM_MBUTTONUP})
        EXPECT_TRUE(RelaysToToolTip(m)) << std::hex << m;
    for (UINT m : {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK, WM_MOUSEWHEEL, WM_NCMOUSEMOVE, WM_KEYDOWN})
        EXPECT_FALSE(RelaysToToolTip(m)) << std::hex << m;
}

TEST(Led, DigitCellsStandRightAndBottomAligned) {
    led::NumGeometry g = led::NumLayout(80, 31);
    EXPECT_EQ(g.segment, 7);
    ASSERT_EQ(g.digits.size(), 5u);  // 76 / 15
    EXPECT_EQ(g.digits[0].x, 80 - 4 - 13);
    EXPECT_EQ(g.digits[0].y, 31 - 23 - 4);
    EXPECT_EQ(g.digits[1].x, 80 - 4 - 26 - 2);
    EXPECT_EQ(g.digits[4].x, 80 - 4 - 65 - 8);
    EXPECT_TRUE(led::NumLayout(80, 10).digits.empty()) << "too low for a segment";
    EXPECT_TRUE(led::NumLayout(2, 31).digits.empty());

    bool horizontal = false;
    POINT o = led::SegmentOrigin(10, 20, 7, led::kLowerRight, &horizontal);
    EXPECT_EQ(o.x, 10 + 7 + 3);
    EXPECT_EQ(o.y, 20 + 7 + 5);
    EXPECT_FALSE(horizontal);
    o = led::SegmentOrigin(10, 20, 7, led::kBottom, &horizontal);
    EXPECT_EQ(o.y, 20 + 14 + 6);
    EXPECT_TRUE(horizontal);
    POINT lines[3][2];
    led::SegmentLines(0, 0, 7, true, lines);
    EXPECT_EQ(lines[0][0].x, 1);
    EXPECT_EQ(lines[0][1].x, 8);
    EXPECT_EQ(lines[1][0].x, 0) << "the middle line is longer";
    EXPECT_EQ(lines[1][1].x, 9);
    EXPECT_EQ(lines[2][0].y, 2);
    led::SegmentLines(0, 0, 7, false, lines);
    EXPECT_EQ(lines[1][0].y, 0);
    EXPECT_EQ(lines[1][1].y, 9);
    EXPECT_EQ(lines[2][0].x, 2);
}

TEST(Led, SegmentsOfEachDigitAndTheTextsPositions) {
    const char* expected[10] = {"1110111", "0010010", "1011101", "1011011", "0111010",
                                "1101011", "1101111", "1110010", "1111111", "1111011"};
    for (int d = 0; d < 10; ++d) {
        uint8_t bits = led::DigitSegments(char('0' + d));
        for (int s = 0; s < 7; ++s) EXPECT_EQ((bits >> s) & 1, expected[d][s] - '0') << d << " segment " << s;
    }
    EXPECT_EQ(led::DigitSegments('-'), led::DigitSegments('0')) << "anything else shows a 0";
    EXPECT_EQ(led::PositionSegments("", 0), 0) << "blank";
    EXPECT_EQ(led::PositionSegments("0", 0), led::DigitSegments('0'));
    EXPECT_EQ(led::PositionSegments("0", 1), 0);
    EXPECT_EQ(led::PositionSegments("1234567", 0), led::DigitSegments('7')) << "the last digits show";
    EXPECT_EQ(led::PositionSegments("1234567", 4), led::DigitSegments('3'));
}

TEST(Led, LampsLightOnePerThousandAndOne) {
    const std::pair<const char*, int> cases[] = {
        {"", 0},      {"0", 0},      {"abc", 0},    {"1", 1},       {"999", 1},    {"1000", 2},
        {"4999", 5},  {"5000", 6},   {"28999", 29}, {"29000", 30},  {"99999999", 30}, {" 1500x", 2},
        {"2.5e3", 3}, {"1e", 1},     {"-500", 1},   {"-2500", 0},   {"1e400", 30},
    };
    for (const auto& c : cases) EXPECT_EQ(led::LitBars(c.first), c.second) << c.first;
    EXPECT_EQ(led::BarColour(4, true), 249);
    EXPECT_EQ(led::BarColour(5, true), 83) << "the sixth lamp is the first orange one";
    EXPECT_EQ(led::BarColour(5, false), 35);
    EXPECT_EQ(led::BarColour(29, true), 253);
    EXPECT_EQ(led::BarColour(20, false), 107);

    led::LevelGeometry g;
    ASSERT_TRUE(led::LevelLayout(160, 31, &g));
    EXPECT_EQ(g.barHeight, 23);
    EXPECT_EQ(g.gap, 2);
    EXPECT_EQ(g.barWidth, 3);
    EXPECT_EQ(g.left, (152 - 90 - 58) / 2 + 4);
    EXPECT_FALSE(led::LevelLayout(37, 31, &g)) << "under 30 usable pixels";
}

TEST(TextPanel, LinesBreakAtCrTabsFillToFour) {
    auto texts = [](const std::string& s) {
        std::vector<std::string> out;
        int y = 5;
        for (const panel::Line& l : panel::LayoutText(s)) {
            EXPECT_EQ(l.y, y);
            y += 13;
            out.push_back(l.text);
        }
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(texts("one\tline  "), V{"one\tline"}) << "one line: tabs kept";
    EXPECT_EQ(texts("a\r\nb\r\nc\r\nd"), (V{"a", "b", "c"})) << "three lines at most";
    EXPECT_EQ(texts("a\rb"), (V{"a", "b"}));
    EXPECT_EQ(texts("a\nb"), V{"a\nb"}) << "a lone LF is no break";
    EXPECT_EQ(texts("first\r\n\nword"), (V{"first", "", "word"}));
    EXPECT_EQ(texts("\tx\r\na\tb\r\nab\tc"), (V{"    x", "a b", "ab  c"}));
    EXPECT_EQ(texts("abc\td\r\nabcde\tf"), (V{"abc   d", "abcde f"}));
    EXPECT_EQ(texts("ab  \tc \r\nd"), (V{"ab    c", "d"})) << "spaces before a tab or a break go";
    EXPECT_EQ(texts(""), V{""});
    EXPECT_EQ(panel::TrimRight("測定 \t\r\n"), "測定");
    // A double-byte character whose second byte is a space-like value would
    // not be cut; 0x8140 (full-width space) stays as the character it is.
    EXPECT_EQ(panel::TrimRight("a\x81\x40"), "a\x81\x40");
}

namespace {

// Counts the relayed mouse messages a tool tip control receives.
WNDPROC g_tipProc;
int g_relayed;
LRESULT CALLBACK CountingTip(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == TTM_RELAYEVENT) ++g_relayed;
    return CallWindowProcA(g_tipProc, hwnd, msg, wp, lp);
}

std::string ToolText(HWND tip, HWND button) {
    char text[128] = {};
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.hwnd = GetParent(button);
    ti.uId = reinterpret_cast<UINT_PTR>(button);
    ti.lpszText = text;
    SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&ti));
    return text;
}

}  // namespace

TEST(ImageButton, ItemButtonKindStateAndTipFollowEachLoad) {
    CWinApp app;
    app.Setup(GetModuleHandleA(nullptr));
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    app.m_programDir = std::string(temp) + "zelbr-itembtn\\";
    CreateDirectoryA(app.m_programDir.c_str(), nullptr);
    // A whole description file: name and a 118 x 66 picture.
    std::vector<uint8_t> rec(items::kDescriptionSize, 0);
    std::memcpy(rec.data() + items::kNameOffset, "測定項目", 8);
    std::vector<uint8_t> sheet = MakeDib(118, 66, 8);
    std::memcpy(rec.data() + items::kDibOffset, sheet.data(), sheet.size() - 1);
    auto write = [&](const char* name, size_t bytes) {
        HANDLE f = CreateFileA((app.m_programDir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD done;
        WriteFile(f, rec.data(), static_cast<DWORD>(bytes), &done, nullptr);
        CloseHandle(f);
    };
    write("WHOLE.MCR", rec.size());
    write("SHORT.MCR", 26);  // six bytes of the name

    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    HWND button = CreateWindowExA(0, "BUTTON", "", WS_CHILD | BS_OWNERDRAW, 7, 9, 20, 20, parent, HMENU(10),
                                  nullptr, nullptr);
    CWnd parentWnd;
    parentWnd.m_hWnd = parent;
    CItemBtn b;
    ASSERT_TRUE(b.AutoLoad(10, true, CItemBtn::kAllItemsBitmap, "", &parentWnd, nullptr));
    parentWnd.m_hWnd = nullptr;
    EXPECT_EQ(b.GetKind(), CItemBtn::kAllItems);
    EXPECT_TRUE(IsWindowEnabled(button));
    RECT r;
    GetWindowRect(button, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 7);
    EXPECT_EQ(r.right - r.left, 59);
    EXPECT_EQ(r.bottom - r.top, 33);
    // The tip comes with the mouse, holding the text of the latest load.
    b.AutoLoad(true, CItemBtn::kEmptyBitmap, "");
    b.AutoLoad(true, CItemBtn::kAllItemsBitmap, "");
    EnableWindow(button, TRUE);
    EXPECT_FALSE(b.ToolTip()) << "no tip window before the mouse comes";
    SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    ASSERT_TRUE(b.ToolTip());
    EXPECT_EQ(ToolText(b.ToolTip(), button), "全項目の測定");

    // The all-items picture leaves the enabled state as it is.
    EnableWindow(button, FALSE);
    b.AutoLoad(true, CItemBtn::kAllItemsBitmap, "");
    EXPECT_FALSE(IsWindowEnabled(button));
    b.AutoLoad(false, 0, "WHOLE.MCR");
    EXPECT_TRUE(IsWindowEnabled(button)) << "an item's picture enables";
    EXPECT_EQ(b.GetKind(), CItemBtn::kItem);
    EXPECT_EQ(b.FileName(), "WHOLE.MCR");
    EXPECT_EQ(ToolText(b.ToolTip(), button), "測定項目");
    b.AutoLoad(true, CItemBtn::kEmptyBitmap, "");
    EXPECT_FALSE(IsWindowEnabled(button)) << "an empty slot is off";
    EXPECT_EQ(b.GetKind(), CItemBtn::kEmpty);
    EXPECT_EQ(b.FileName(), "");
    EXPECT_EQ(ToolText(b.ToolTip(), button), "項目が選択されていません");
    // A file cut short still makes the item's button, named from what was read.
    b.AutoLoad(false, 0, "SHORT.MCR");
    EXPECT_TRUE(IsWindowEnabled(button));
    EXPECT_EQ(ToolText(b.ToolTip(), button), "測定項");
    EXPECT_EQ(SendMessageA(b.ToolTip(), TTM_GETTOOLCOUNT, 0, 0), 1) << "one tool, replaced";
    GetWindowRect(button, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 7) << "reloading keeps the place";
    EXPECT_EQ(r.right - r.left, 59);

    // Mouse messages reach the tool tip; double clicks do not.
    g_relayed = 0;
    g_tipProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(b.ToolTip(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingTip)));
    SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(g_relayed, 1);
    SendMessageA(button, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(g_relayed, 1);
    SetWindowLongPtrA(b.ToolTip(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_tipProc));
    DestroyWindow(parent);
    DeleteFileA((app.m_programDir + "WHOLE.MCR").c_str());
    DeleteFileA((app.m_programDir + "SHORT.MCR").c_str());
    RemoveDirectoryA(app.m_programDir.c_str());
}
