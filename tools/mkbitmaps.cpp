// Writes the program's bitmap resources as .bmp files: the palette carrier
// DIAPAL, the tool and item button sheets, the logo, the item editor's check
// box images and a few small pictures. Runs on the build host, so the file
// structures are written by hand.
//
//   mkbitmaps OUTDIR [--preview]
//
// --preview also writes each picture four times its size as NAME.ppm, for
// looking at.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../res/diapal.h"
#include "font5x7.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Rgb = std::array<std::uint8_t, 3>;
using Palette = std::vector<Rgb>;
using Art = std::vector<std::string>;

[[noreturn]] void Die(const std::string& why) {
    std::fprintf(stderr, "mkbitmaps: %s\n", why.c_str());
    std::exit(1);
}

Palette DiaPalette() {
    Palette p;
    for (const auto& c : kDiaPal) p.push_back(Rgb{c[0], c[1], c[2]});
    return p;
}
const Palette kDia = DiaPalette();
// The standard 16-colour VGA palette, for the 4-bit pictures.
const Palette kVga = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                      {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                      {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                      {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
const Palette kMono = {{0, 0, 0}, {255, 255, 255}};

// Application palette entries the frames use.
enum : int {
    kBlack = 0,
    kFace = 7,     // C0C0C0
    kLight = 241,  // DDDDDD
    kDark = 248,   // 808080
    kWhite = 255,
    kOlive = 41,   // 666600, the logo frame
    kGold = 88,    // CCCC33
    kCream = 195,  // FFFFCC
};
constexpr int kClear = -1;

// ---------------------------------------------------------------------------
// Pictures: palette indices, top-down while drawing; kClear lets what lies
// below show through.

struct Pic {
    int w, h;
    std::vector<int> px;
    Pic(int w_, int h_, int fill) : w(w_), h(h_), px(size_t(w_) * h_, fill) {}
    int At(int x, int y) const { return px[size_t(y) * w + x]; }
    void Set(int x, int y, int c) {
        if (x >= 0 && y >= 0 && x < w && y < h) px[size_t(y) * w + x] = c;
    }
    void Fill(int x0, int y0, int x1, int y1, int c) {  // inclusive
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) Set(x, y, c);
    }
    void HLine(int x0, int x1, int y, int c) { Fill(x0, y, x1, y, c); }
    void VLine(int x, int y0, int y1, int c) { Fill(x, y0, x, y1, c); }
    void Put(const Pic& p, int x0, int y0) {
        for (int y = 0; y < p.h; ++y)
            for (int x = 0; x < p.w; ++x)
                if (p.At(x, y) != kClear) Set(x0 + x, y0 + y, p.At(x, y));
    }
};

int IndexOf(const Palette& pal, std::uint32_t rgb) {
    for (size_t i = 0; i < pal.size(); ++i)
        if ((std::uint32_t(pal[i][0]) << 16 | pal[i][1] << 8 | pal[i][2]) == rgb) return int(i);
    char msg[64];
    std::snprintf(msg, sizeof msg, "colour %06X is not in the palette", unsigned(rgb));
    Die(msg);
}

// One character a pixel; '.' is clear.
struct Ink {
    char c;
    std::uint32_t rgb;
};
const Ink kInks[] = {
    {'k', 0x000000}, {'g', 0x808080}, {'s', 0xC0C0C0}, {'w', 0xFFFFFF},  // greys
    {'r', 0xFF0000}, {'m', 0x800000}, {'y', 0xFFFF00}, {'o', 0x808000},  // red, yellow
    {'b', 0x0000FF}, {'n', 0x000080}, {'c', 0x00FFFF}, {'t', 0x008080},  // blue, cyan
    {'l', 0x00FF00}, {'e', 0x008000},                                    // green
    {'B', 0x996633}, {'T', 0xCC9966}, {'Y', 0xFFFFCC}, {'p', 0xA6CAF0},  // wood, pale
};

Pic FromArt(const Art& art, const Palette& pal) {
    Pic p(int(art[0].size()), int(art.size()), kClear);
    for (int y = 0; y < p.h; ++y) {
        if (int(art[y].size()) != p.w) Die("art row " + std::to_string(y) + " is not " +
                                           std::to_string(p.w) + " wide: " + art[y]);
        for (int x = 0; x < p.w; ++x) {
            char c = art[y][x];
            if (c == '.') continue;
            const Ink* ink = nullptr;
            for (const Ink& i : kInks)
                if (i.c == c) ink = &i;
            if (!ink) Die(std::string("no ink '") + c + "'");
            p.Set(x, y, IndexOf(pal, ink->rgb));
        }
    }
    return p;
}

Art Recolour(Art art, char from, char to) {
    for (auto& row : art)
        for (auto& c : row)
            if (c == from) c = to;
    return art;
}

// ---------------------------------------------------------------------------
// Text in the shared 5x7 font.

using font5x7::Glyph;
using font5x7::kGlyphH;
using font5x7::kGlyphW;

int TextWidth(const std::string& s, int scale) { return int(s.size()) * 6 * scale - scale; }

void DrawText(Pic& p, const std::string& s, int x0, int y0, int scale, int colour) {
    for (size_t i = 0; i < s.size(); ++i) {
        const Glyph* g = font5x7::FindGlyph(s[i]);
        if (!g) Die(std::string("no glyph '") + s[i] + "'");
        const int gx = x0 + int(i) * 6 * scale;
        for (int r = 0; r < kGlyphH; ++r)
            for (int b = 0; b < kGlyphW; ++b)
                if (g->rows[r] & (0x10 >> b))
                    p.Fill(gx + b * scale, y0 + r * scale, gx + b * scale + scale - 1,
                           y0 + r * scale + scale - 1, colour);
    }
}

// ---------------------------------------------------------------------------
// Button sheets: 2 x 2 cells, (0,0) normal, (1,0) focused, (0,1) pressed,
// (1,1) disabled.

void Raised(Pic& p, int x0, int y0, int w, int h) {
    const int x1 = x0 + w - 1, y1 = y0 + h - 1;
    p.HLine(x0, x1, y0, kWhite);
    p.VLine(x0, y0, y1, kWhite);
    p.HLine(x0 + 1, x1 - 1, y0 + 1, kLight);
    p.VLine(x0 + 1, y0 + 1, y1 - 1, kLight);
    p.HLine(x0 + 1, x1 - 1, y1 - 1, kDark);
    p.VLine(x1 - 1, y0 + 1, y1 - 1, kDark);
    p.HLine(x0, x1, y1, kBlack);
    p.VLine(x1, y0, y1, kBlack);
}

void Sunken(Pic& p, int x0, int y0, int w, int h) {
    const int x1 = x0 + w - 1, y1 = y0 + h - 1;
    p.HLine(x0, x1, y0, kBlack);
    p.VLine(x0, y0, y1, kBlack);
    p.HLine(x0 + 1, x1 - 1, y0 + 1, kDark);
    p.VLine(x0 + 1, y0 + 1, y1 - 1, kDark);
    p.HLine(x0 + 1, x1 - 1, y1 - 1, kLight);
    p.VLine(x1 - 1, y0 + 1, y1 - 1, kLight);
    p.HLine(x0, x1, y1, kWhite);
    p.VLine(x1, y0, y1, kWhite);
}

// Dotted, one pixel on and one off, three pixels in from the edge.
void FocusMark(Pic& p, int x0, int y0, int w, int h) {
    const int l = x0 + 3, t = y0 + 3, r = x0 + w - 4, b = y0 + h - 4;
    for (int x = l; x <= r; ++x) {
        if ((x + t) % 2 == 0) p.Set(x, t, kBlack);
        if ((x + b) % 2 == 0) p.Set(x, b, kBlack);
    }
    for (int y = t; y <= b; ++y) {
        if ((l + y) % 2 == 0) p.Set(l, y, kBlack);
        if ((r + y) % 2 == 0) p.Set(r, y, kBlack);
    }
}

int Luma(int index) {
    const auto& c = kDiaPal[index];
    return (c[0] * 30 + c[1] * 59 + c[2] * 11) / 100;
}

// As Windows greys out a picture: its darker pixels turn to a grey shape
// with a white one pixel down-right; light ones fade into the face.
void Etched(Pic& p, const Pic& pic, int x0, int y0) {
    for (int pass = 0; pass < 2; ++pass)
        for (int y = 0; y < pic.h; ++y)
            for (int x = 0; x < pic.w; ++x) {
                const int c = pic.At(x, y);
                if (c == kClear || Luma(c) >= 0xC0) continue;
                if (pass == 0) p.Set(x0 + x + 1, y0 + y + 1, kWhite);
                else p.Set(x0 + x, y0 + y, kDark);
            }
}

enum class WhenDisabled { kEtched, kFlatAndEmpty };

Pic ButtonSheet(int cw, int ch, const Pic& pic, WhenDisabled disabled = WhenDisabled::kEtched) {
    Pic s(2 * cw, 2 * ch, kFace);
    const int px = (cw - pic.w) / 2, py = (ch - pic.h) / 2;
    Raised(s, 0, 0, cw, ch);
    s.Put(pic, px, py);
    Raised(s, cw, 0, cw, ch);
    s.Put(pic, cw + px, py);
    FocusMark(s, cw, 0, cw, ch);
    Sunken(s, 0, ch, cw, ch);
    s.Put(pic, px + 1, ch + py + 1);
    if (disabled == WhenDisabled::kEtched) {
        Raised(s, cw, ch, cw, ch);
        Etched(s, pic, cw + px, ch + py);
    } else {
        // Nothing to press: a flat outline keeps the slot in the grid.
        s.HLine(cw, 2 * cw - 1, ch, kDark);
        s.HLine(cw, 2 * cw - 1, 2 * ch - 1, kDark);
        s.VLine(cw, ch, 2 * ch - 1, kDark);
        s.VLine(2 * cw - 1, ch, 2 * ch - 1, kDark);
    }
    return s;
}

// ---------------------------------------------------------------------------
// Tool button pictures, 18 x 18.

const Art kClipboard = {  // 156 copy to the clipboard
    "......kkkkkk......", ".kkkkkwssssgkkkkk.", ".kBBkwssssssgkBBk.",
    ".kBBkggggggggkBBk.", ".kBwwkkkkkkkkwwBk.", ".kBwwwwwwwwwwwwBk.",
    ".kBwwkkkkkkkkwwBk.", ".kBwwwwwwwwwwwwBk.", ".kBwwkkkkkkwwwwBk.",
    ".kBwwwwwwwwwwwwBk.", ".kBwwkkkkkkkkwwBk.", ".kBwwwwwwwwwwwwBk.",
    ".kBwwkkkkkwwwwwBk.", ".kBwwwwwwwwwwwwBk.", ".kBwwwwwwwwwwwwBk.",
    ".kBggggggggggggBk.", ".kBBBBBBBBBBBBBBk.", ".kkkkkkkkkkkkkkkk.",
};

const Art kSaveText = {  // 157 save as a text file: a page and a floppy
    "kkkkkkkkk.........", "kwwwwwwwkk........", "kwwwwwwwkwk.......",
    "kwkkkkwwkkkk......", "kwwwwwwwwwwk......", "kwkkkkkkkkwk......",
    "kwwwwwwwwwwk......", "kwkkkkkkkkwk......", "kwwwwwwwkkkkkkkkkk",
    "kwkkkkkwknwwwwwwnk", "kwwwwwwwknwkkkkwnk", "kwkkkkkwknwwwwwwnk",
    "kwwwwwwwknnnnnnnnk", "kkkkkkkkknnnnnnnnk", "........knnssssnnk",
    "........knnskssnnk", "........knnssssnnk", "........kkkkkkkkkk",
};

const Art kMonitor = {  // 158, before the pencil
    "kkkkkkkkkkkkkk....", "ksssssssssssgk....", "kskkkkkkkkksgk....",
    "kskbbbbbbbksgk....", "kskbwwbbbbksgk....", "kskbwbbbbbksgk....",
    "kskbbbbbbbksgk....", "kskbbbbbbbksgk....", "kskbbbbbbbksgk....",
    "kskkkkkkkkksgk....", "ksssssssssssgk....", "kggggggggggggk....",
    "kkkkkkkkkkkkkk....", ".....kssk.........", "...kkkkkkkkk......",
    "...ksssssssk......", "...kkkkkkkkk......", "..................",
};
const Art kPencil = {
    ".......kkk", "......krrk", ".....krrk.", "....kssk..", "...kyyk...",
    "..kyyk....", ".kTTk.....", "kTkk......", "kk........",
};

const Art kChecklist = {  // 159 edit the measurement items
    "kkkkkkkkkkkkkkkkk.", "kwwwwwwwwwwwwwwwkg", "kwwwwwewwwwwwwwwkg",
    "kwewweewkkkkkkwwkg", "kweeeewwwwwwwwwwkg", "kwweewwwwwwwwwwwkg",
    "kwwwwwwwwwwwwwwwkg", "kwwwwwewwwwwwwwwkg", "kwewweewkkkkkkkwkg",
    "kweeeewwwwwwwwwwkg", "kwweewwwwwwwwwwwkg", "kwwwwwwwwwwwwwwwkg",
    "kwkkkkwwwwwwwwwwkg", "kwkwwkwkkkkkwwwwkg", "kwkwwkwwwwwwwwwwkg",
    "kwkkkkwwwwwwwwwwkg", "kkkkkkkkkkkkkkkkkg", ".ggggggggggggggggg",
};

const Art kFloppy = {  // 160 save the item set
    "..................", ".kkkkkkkkkkkkkkkk.", ".knwwwwwwwwwwwwnk.",
    ".knwwwwwwwwwwwwnk.", ".knwkkkkkkkkkwwnk.", ".knwwwwwwwwwwwwnk.",
    ".knwkkkkkkwwwwwnk.", ".knwwwwwwwwwwwwnk.", ".knnnnnnnnnnnnnnk.",
    ".knnnnnnnnnnnnnnk.", ".knnnssssssssnnnk.", ".knnnsskkssssnnnk.",
    ".knnnsskkssssnnnk.", ".knnnsskkssssnnnk.", ".knnnssssssssnnnk.",
    ".knnnssssssssnnnk.", ".kkkkkkkkkkkkkkkk.", "..................",
};

const Art kOpenFolder = {  // 161 load an item set
    "..................", "..................", ".kkkkk............",
    "kyyyyyk...........", "kyoooookkkkkkkkk..", "kyoooooooooooook..",
    "kyoooooooooooook..", "kyoooooooooooook..", "kyookkkkkkkkkkkkkk",
    "kyookyyyyyyyyyyyk.", "kyokyyyyyyyyyyyk..", "kyokyyyyyyyyyyyk..",
    "kykyyyyyyyyyyyk...", "kykyyyyyyyyyyyk...", "kkyyyyyyyyyyyk....",
    "kkkkkkkkkkkkkk....", "..................", "..................",
};

const Art kTarget = {  // 162 choose the precision
    "......kkkkkk......", "....kkrrrrrrkk....", "...krrrrrrrrrrk...",
    "..krrrwwwwwwrrrk..", ".krrrwwwwwwwwrrrk.", ".krrwwwrrrrwwwrrk.",
    "krrwwwrrrrrrwwwrrk", "krrwwrrwwwwrrwwrrk", "krrwwrrwrrwrrwwrrk",
    "krrwwrrwrrwrrwwrrk", "krrwwrrwwwwrrwwrrk", "krrwwwrrrrrrwwwrrk",
    ".krrwwwrrrrwwwrrk.", ".krrrwwwwwwwwrrrk.", "..krrrwwwwwwrrrk..",
    "...krrrrrrrrrrk...", "....kkrrrrrrkk....", "......kkkkkk......",
};

const Art kWarning = {  // 163 warning settings
    "..................", "........kk........", ".......kyyk.......",
    ".......kyyk.......", "......kyyyyk......", "......kyyyyk......",
    ".....kyykkyyk.....", ".....kyykkyyk.....", "....kyyykkyyyk....",
    "....kyyykkyyyk....", "...kyyyykkyyyyk...", "...kyyyykkyyyyk...",
    "..kyyyyyyyyyyyyk..", "..kyyyyykkyyyyyk..", ".kyyyyyykkyyyyyyk.",
    ".kyyyyyyyyyyyyyyk.", "kkkkkkkkkkkkkkkkkk", "..................",
};

const Art kStartPosition = {  // 164 where the window starts: a window on the screen
    "kkkkkkkkkkkkkkkkkk", "ksssssssssssssssgk", "kskkkkkkkkkkkkkkgk",
    "ksknnnnnnktttttkgk", "kskwwwwwwktttttkgk", "kskwkkkwwktttttkgk",
    "kskwwwwwwktttttkgk", "kskkkkkkkktttttkgk", "ksktttttttwwwttkgk",
    "ksktttttttwwtttkgk", "ksktttttttwtwttkgk", "kskttttttttttwtkgk",
    "ksktttttttttttwkgk", "kskkkkkkkkkkkkkkgk", "ksssssssssssssssgk",
    "kggggggggggggggggk", "kkkkkkkkkkkkkkkkkk", "......kkkkkk......",
};

const Art kDisplayMode = {  // 171 display mode: narrow and wide layouts
    "..................", "..................", "kkkkkkk...........", "knnnnnk...........",
    "kwwwwwk.kkkkkkkkkk", "kwkkkwk.knnnnnnnnk", "kwwwwwk.kwwwwwwwwk",
    "kwkkwwk.kwkkkwkkwk", "kwwwwwk.kwwwwwwwwk", "kwkkkwk.kwkkwwkkwk",
    "kwwwwwk.kwwwwwwwwk", "kwkkwwk.kkkkkkkkkk", "kwwwwwk...........",
    "kwkkkwk...........", "kwwwwwk...........", "kkkkkkk...........",
    "..................", "..................",
};

const Art kHelpBook = {  // 166 help topics
    "..kkkkkkkkkkkkk...", ".knnnnnnnnnnnnnk..", ".knnnnnnnnnnnnnk..",
    ".knnnnnyyyynnnnk..", ".knnnnyynnyynnnk..", ".knnnnnnnnyynnnk..",
    ".knnnnnnnyynnnnk..", ".knnnnnnyynnnnnk..", ".knnnnnnyynnnnnk..",
    ".knnnnnnnnnnnnnk..", ".knnnnnnyynnnnnk..", ".knnnnnnyynnnnnk..",
    ".knnnnnnnnnnnnnk..", ".kkkkkkkkkkkkkkkk.", ".kwwwwwwwwwwwwwgk.",
    ".kwgwgwgwgwgwgwgk.", "..kkkkkkkkkkkkkkk.", "..................",
};

const Art kInfo = {  // 167 version information
    "......kkkkkk......", "....kkbbbbbbkk....", "...kbbbbbbbbbbk...",
    "..kbbbbbwwbbbbbk..", ".kbbbbbbwwbbbbbbk.", ".kbbbbbbbbbbbbbbk.",
    "kbbbbbbbbbbbbbbbbk", "kbbbbbbwwwbbbbbbbk", "kbbbbbbbwwbbbbbbbk",
    "kbbbbbbbwwbbbbbbbk", "kbbbbbbbwwbbbbbbbk", "kbbbbbbbwwbbbbbbbk",
    ".kbbbbbbwwbbbbbbk.", ".kbbbbbwwwwbbbbbk.", "..kbbbbbbbbbbbbk..",
    "...kbbbbbbbbbbk...", "....kkbbbbbbkk....", "......kkkkkk......",
};

const Art kClose = {  // 168 close
    "..................", ".kkk..........kkk.", "kmrrk........krrmk",
    "kmrrrk......krrrmk", ".kmrrrk....krrrmk.", "..kmrrrk..krrrmk..",
    "...kmrrrkkrrrmk...", "....kmrrrrrrmk....", ".....kmrrrrmk.....",
    ".....kmrrrrmk.....", "....kmrrrrrrmk....", "...kmrrrkkrrrmk...",
    "..kmrrrk..krrrmk..", ".kmrrrk....krrrmk.", "kmrrrk......krrrmk",
    "kmrrk........krrmk", ".kkk..........kkk.", "..................",
};

Pic ToolPicture(const Art& art) { return FromArt(art, kDia); }

Pic EditInfoPicture() {
    Pic p = FromArt(kMonitor, kDia);
    p.Put(FromArt(kPencil, kDia), 8, 6);
    return p;
}

// ---------------------------------------------------------------------------
// Item button sheets, cells of 59 x 33.

constexpr int kItemW = 59, kItemH = 33;

const Art kPlay = {
    "k......", "kk.....", "klk....", "kllk...", "klllk..", "kllllk.", "klllllk",
    "kllllk.", "klllk..", "kllk...", "klk....", "kk.....", "k......",
};

Pic AllItemsPicture() {  // 150: start every item
    const int textW = TextWidth("ALL", 2);
    Pic p(7 + 5 + textW, 14, kClear);
    p.Put(FromArt(kPlay, kDia), 0, 0);
    DrawText(p, "ALL", 12, 0, 2, kBlack);
    return p;
}

Pic EmptySlotPicture() {  // 151: a dashed outline where an item would be
    Pic p(kItemW - 12, kItemH - 12, kClear);
    for (int x = 0; x < p.w; ++x)
        if (x % 5 < 3) p.Set(x, 0, kDark), p.Set(x, p.h - 1, kDark);
    for (int y = 0; y < p.h; ++y)
        if (y % 5 < 3) p.Set(0, y, kDark), p.Set(p.w - 1, y, kDark);
    return p;
}

// ---------------------------------------------------------------------------
// The logo: a stopwatch and the name on a cream plate in a gold frame.

const Art kWatch = {
    ".....kkk.....", "......k......", "...kkkkkkk...", "..kwwwkwwwk..", ".kwwwwwwwwwk.",
    ".kwwwwwwwrwk.", "kkwwwwwwrwwkk", ".kwwwwkrwwwk.", ".kwwwwkwwwwk.", ".kwwwwwwwwwk.",
    "..kwwwwwwwk..", "...kkkkkkk...", ".............",
};

Pic Logo(int w, int h, int scale) {
    Pic p(w, h, kCream);
    for (int i = 0; i < scale; ++i) {
        p.HLine(i, w - 1 - i, i, kOlive);
        p.HLine(i, w - 1 - i, h - 1 - i, kOlive);
        p.VLine(i, i, h - 1 - i, kOlive);
        p.VLine(w - 1 - i, i, h - 1 - i, kOlive);
        const int j = scale + i;
        p.HLine(j, w - 1 - j, j, kGold);
        p.HLine(j, w - 1 - j, h - 1 - j, kGold);
        p.VLine(j, j, h - 1 - j, kGold);
        p.VLine(w - 1 - j, j, h - 1 - j, kGold);
    }
    const Pic watch = FromArt(kWatch, kDia);
    const int watchW = watch.w * scale, watchH = watch.h * scale;
    const int font = scale + 1, textW = TextWidth("ZELBR", font), textH = kGlyphH * font;
    const int x0 = (w - (watchW + 4 * scale + textW)) / 2;
    const int wy = (h - watchH) / 2;
    for (int y = 0; y < watchH; ++y)
        for (int x = 0; x < watchW; ++x) {
            const int c = watch.At(x / scale, y / scale);
            if (c != kClear) p.Set(x0 + x, wy + y, c);
        }
    const int tx = x0 + watchW + 4 * scale, ty = (h - textH) / 2;
    if (scale > 1) DrawText(p, "ZELBR", tx + 1, ty + 1, font, kGold);
    DrawText(p, "ZELBR", tx, ty, font, kOlive);
    return p;
}

// ---------------------------------------------------------------------------
// The item editor's list state images, 4 bits: an empty and a ticked box.

const Art kCheckBox = {
    "ggggggggggggw", "gkkkkkkkkkksw", "gkwwwwwwwwwsw", "gkwwwwwwwwwsw", "gkwwwwwwwwwsw",
    "gkwwwwwwwwwsw", "gkwwwwwwwwwsw", "gkwwwwwwwwwsw", "gkwwwwwwwwwsw", "gkwwwwwwwwwsw",
    "gkwwwwwwwwwsw", "gsssssssssssw", "wwwwwwwwwwwww",
};
const Art kTick = {
    "......k", ".....kk", "k...kkk", "kk.kkk.", "kkkkk..", ".kkk...", "..k....",
};
constexpr int kStateW = 21, kStateH = 15, kBoxX = 4, kBoxY = 1;

// Clear pixels stay for the mask; the caller blackens them.
Pic StateImage(bool ticked) {
    Pic p(kStateW, kStateH, kClear);
    p.Put(FromArt(kCheckBox, kVga), kBoxX, kBoxY);
    if (ticked) p.Put(FromArt(kTick, kVga), kBoxX + 3, kBoxY + 3);
    return p;
}

// Black under the transparent part, so the masked draw leaves the screen.
Pic Blackened(Pic p) {
    for (int& c : p.px)
        if (c == kClear) c = 0;
    return p;
}

// 1 where the background shows through, 0 on the box.
Pic MaskOf(const Pic& p) {
    Pic m(p.w, p.h, 0);
    for (size_t i = 0; i < p.px.size(); ++i) m.px[i] = p.px[i] == kClear ? 1 : 0;
    return m;
}

// ---------------------------------------------------------------------------
// Small 4-bit pictures.

// A results window with a bar chart.
Pic ChartWindow() {
    const int k = IndexOf(kVga, 0x000000), s = IndexOf(kVga, 0xC0C0C0),
              g = IndexOf(kVga, 0x808080), w = IndexOf(kVga, 0xFFFFFF),
              n = IndexOf(kVga, 0x000080);
    Pic p(70, 39, s);
    p.HLine(0, 69, 0, w), p.VLine(0, 0, 38, w);
    p.HLine(1, 68, 37, g), p.VLine(68, 1, 37, g);
    p.HLine(0, 69, 38, k), p.VLine(69, 0, 38, k);
    p.Fill(2, 2, 67, 9, n);
    p.Fill(61, 3, 66, 8, s);
    for (int i = 0; i < 4; ++i) p.Set(62 + i, 4 + i, k), p.Set(65 - i, 4 + i, k);
    p.Fill(4, 12, 65, 35, w);
    p.HLine(4, 65, 11, g), p.VLine(3, 11, 35, g);
    p.VLine(7, 14, 33, k), p.HLine(7, 63, 33, k);
    const std::uint32_t colours[] = {0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0xFF00FF};
    const int heights[] = {8, 14, 11, 18, 6, 16};
    for (int i = 0; i < 6; ++i) {
        const int x0 = 10 + i * 9, y0 = 33 - heights[i];
        p.Fill(x0, y0, x0 + 5, 32, k);
        p.Fill(x0 + 1, y0 + 1, x0 + 4, 32, IndexOf(kVga, colours[i]));
    }
    return p;
}

const Art kMiniChart = {
    "k...........", "k........nn.", "k........bn.", "k....en..bn.", "k....ln..bn.",
    "k.rm.ln..bn.", "k.rm.ln..bn.", "k.rm.ln..bn.", "k.rm.ln..bn.", "kkkkkkkkkkkk",
};

const Art kLamp = {
    "....kkkkk....", "..kkrrrrrkk..", ".krrwwrrrrrk.", ".krwwrrrrrmk.", "krrwrrrrrrrmk",
    "krrrrrrrrrrmk", "krrrrrrrrrrmk", "krrrrrrrrrrmk", "krrrrrrrrrmmk", ".krrrrrrrmmk.",
    ".kmrrrrrmmmk.", "..kkmmmmmkk..", "....kkkkk....",
};

// Red, yellow and green lamps side by side.
Pic Lamps() {
    Pic p(39, 13, IndexOf(kVga, 0xC0C0C0));
    p.Put(FromArt(kLamp, kVga), 0, 0);
    p.Put(FromArt(Recolour(Recolour(kLamp, 'r', 'y'), 'm', 'o'), kVga), 13, 0);
    p.Put(FromArt(Recolour(Recolour(kLamp, 'r', 'l'), 'm', 'e'), kVga), 26, 0);
    return p;
}

// Start, pause and stop.
const Art kTransport = {
    ".................................", "..k.........kkk.kkk..............",
    "..kk........kkk.kkk...kkkkkkk....", "..kkk.......kkk.kkk...kkkkkkk....",
    "..kkkk......kkk.kkk...kkkkkkk....", "..kkkkk.....kkk.kkk...kkkkkkk....",
    "..kkkk......kkk.kkk...kkkkkkk....", "..kkk.......kkk.kkk...kkkkkkk....",
    "..kk........kkk.kkk...kkkkkkk....", "..k.........kkk.kkk..............",
    ".................................",
};

Pic OnFace(const Art& art) {
    Pic p = FromArt(art, kVga);
    for (int& c : p.px)
        if (c == kClear) c = IndexOf(kVga, 0xC0C0C0);
    return p;
}

// ---------------------------------------------------------------------------
// Writing.

struct Bitmap {
    std::string file;
    Pic pic;
    int bpp;
    const Palette* pal;
};

void Put16(Bytes& b, unsigned v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// BITMAPFILEHEADER, BITMAPINFOHEADER, the full colour table, then the rows
// bottom-up, each padded to four bytes.
Bytes EncodeBmp(const Bitmap& bm) {
    const Pic& p = bm.pic;
    const int colours = 1 << bm.bpp;
    if (int(bm.pal->size()) != colours) Die(bm.file + ": palette size does not match the depth");
    const std::uint32_t stride = ((std::uint32_t(p.w) * bm.bpp + 31) / 32) * 4;
    const std::uint32_t bitsOff = 14 + 40 + 4 * colours;
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, bitsOff + stride * p.h);
    Put32(b, 0);
    Put32(b, bitsOff);
    Put32(b, 40);
    Put32(b, p.w);
    Put32(b, p.h);  // positive: bottom-up
    Put16(b, 1);
    Put16(b, bm.bpp);
    Put32(b, 0);  // BI_RGB
    Put32(b, stride * p.h);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);  // biClrUsed 0: the whole table
    Put32(b, 0);
    for (const Rgb& c : *bm.pal) {
        b.push_back(c[2]);
        b.push_back(c[1]);
        b.push_back(c[0]);
        b.push_back(0);
    }
    for (int row = p.h - 1; row >= 0; --row) {
        Bytes line(stride, 0);
        for (int x = 0; x < p.w; ++x) {
            const int c = p.At(x, row);
            if (c < 0 || c >= colours) Die(bm.file + ": pixel outside the palette");
            const int bit = x * bm.bpp;
            line[bit / 8] |= std::uint8_t(c << (8 - bm.bpp - bit % 8));
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

bool WriteFile(const std::string& path, const Bytes& data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

bool WritePreview(const std::string& path, const Bitmap& bm) {
    constexpr int kZoom = 4;
    const Pic& p = bm.pic;
    std::string out = "P6\n" + std::to_string(p.w * kZoom) + " " + std::to_string(p.h * kZoom) +
                      "\n255\n";
    for (int y = 0; y < p.h * kZoom; ++y)
        for (int x = 0; x < p.w * kZoom; ++x) {
            const Rgb& c = (*bm.pal)[p.At(x / kZoom, y / kZoom)];
            out.append(reinterpret_cast<const char*>(c.data()), 3);
        }
    return WriteFile(path, Bytes(out.begin(), out.end()));
}

std::vector<Bitmap> AllBitmaps() {
    std::vector<Bitmap> v;
    auto dia = [&](const std::string& file, Pic pic) { v.push_back({file, pic, 8, &kDia}); };
    auto vga = [&](const std::string& file, Pic pic) { v.push_back({file, pic, 4, &kVga}); };

    // A carrier for the colour table only.
    dia("diapal.bmp", Pic(1, 1, 0));

    const struct {
        int id;
        Pic pic;
    } tools[] = {
        {156, ToolPicture(kClipboard)},  {157, ToolPicture(kSaveText)},
        {158, EditInfoPicture()},        {159, ToolPicture(kChecklist)},
        {160, ToolPicture(kFloppy)},     {161, ToolPicture(kOpenFolder)},
        {162, ToolPicture(kTarget)},     {163, ToolPicture(kWarning)},
        {164, ToolPicture(kStartPosition)}, {166, ToolPicture(kHelpBook)},
        {167, ToolPicture(kInfo)},       {168, ToolPicture(kClose)},
        {171, ToolPicture(kDisplayMode)},
    };
    for (const auto& t : tools)
        dia("bmp" + std::to_string(t.id) + ".bmp", ButtonSheet(26, 26, t.pic));

    dia("bmp150.bmp", ButtonSheet(kItemW, kItemH, AllItemsPicture()));
    dia("bmp151.bmp",
        ButtonSheet(kItemW, kItemH, EmptySlotPicture(), WhenDisabled::kFlatAndEmpty));

    vga("bmp145.bmp", Blackened(StateImage(false)));
    vga("bmp146.bmp", Blackened(StateImage(true)));
    v.push_back({"bmp149.bmp", MaskOf(StateImage(false)), 1, &kMono});

    dia("bmp169.bmp", Logo(146, 35, 2));
    dia("bmp170.bmp", Logo(82, 19, 1));

    vga("bmp26567.bmp", ChartWindow());
    vga("bmp30994.bmp", OnFace(kMiniChart));
    vga("bmp30995.bmp", Lamps());
    vga("bmp30996.bmp", OnFace(kTransport));
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    const bool preview = argc == 3 && std::strcmp(argv[2], "--preview") == 0;
    if (argc < 2 || (argc == 3 && !preview) || argc > 3) {
        std::fprintf(stderr, "usage: %s OUTDIR [--preview]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    for (const Bitmap& bm : AllBitmaps()) {
        const std::string path = dir + "/" + bm.file;
        if (!WriteFile(path, EncodeBmp(bm))) Die("cannot write " + path);
        if (preview) {
            const std::string ppm = path.substr(0, path.size() - 4) + ".ppm";
            if (!WritePreview(ppm, bm)) Die("cannot write " + ppm);
        }
    }
    return 0;
}
