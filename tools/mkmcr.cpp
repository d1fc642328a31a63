// Writes a measurement item description file (.MCR): the 9167-byte record
// ZELBR reads for an item's name, target application, version and button
// image. Runs on the build host; texts come in as UTF-8 and are stored as
// code page 932.
//
//   mkmcr --out NOTEPAD.MCR --name "テキスト編集" --app "メモ帳" --file NOTEPAD.EXE
//         --version 1.00 --label TEXT --accent 32 [--preview pic.ppm]
//   mkmcr --check NOTEPAD.MCR [--name ... --app ... --file ... --version ...]
//
// --check reads a file back, verifies its layout (and the given fields) and
// prints it; the exit code says whether it is sound.
#include <iconv.h>

#include <cerrno>
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

// Record layout.
constexpr size_t kRecordSize = 9167;
constexpr size_t kNameOff = 20, kNameLen = 64;
constexpr size_t kAppOff = 84, kAppLen = 64;
constexpr size_t kFileOff = 148, kFileLen = 16;
constexpr size_t kVersionOff = 164;
constexpr size_t kDibOff = 184;
// The button sheet: 2 x 2 cells of 59 x 33, 8 bits a pixel.
constexpr int kCellW = 59, kCellH = 33;
constexpr int kWidth = 2 * kCellW, kHeight = 2 * kCellH;
constexpr int kStride = (kWidth + 3) & ~3;
constexpr size_t kBitsOff = kDibOff + 40 + 256 * 4;
// The whole DIB would end one byte past the record: its last byte, padding
// of the top row, is left out.
static_assert(kBitsOff + size_t(kStride) * kHeight == kRecordSize + 1, "record layout");

// Palette indices the pictures use.
enum : std::uint8_t {
    kBlack = 0,
    kFace = 7,     // C0C0C0
    kLight = 241,  // DDDDDD
    kDark = 248,   // 808080
    kWhite = 255,
};

void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}
void Put16(std::uint8_t* p, unsigned v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
std::uint32_t Get32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

bool Convert(const std::string& text, const char* from, const char* to, std::string* out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) return false;
    std::string in = text;
    std::string result(in.size() * 4 + 8, '\0');
    char* ip = in.empty() ? nullptr : &in[0];
    size_t il = in.size();
    char* op = &result[0];
    size_t ol = result.size();
    bool ok = iconv(cd, &ip, &il, &op, &ol) != size_t(-1) && il == 0;
    iconv_close(cd);
    if (!ok) return false;
    result.resize(result.size() - ol);
    *out = result;
    return true;
}

// ---------------------------------------------------------------------------
// Labels use the shared 5x7 font.

using font5x7::FindGlyph;
using font5x7::Glyph;
using font5x7::kGlyphH;
using font5x7::kGlyphW;

// Glyphs are drawn twice their size when the label fits, else at 1:1.
constexpr int kGap = 1;

// ---------------------------------------------------------------------------
// The sheet, top-down while drawing; rows are flipped when stored.

struct Sheet {
    std::uint8_t px[kHeight][kWidth];
    Sheet() { std::memset(px, kFace, sizeof px); }
};

// Draws into one cell; coordinates are relative to the cell and clipped to it.
struct Cell {
    Sheet& sheet;
    int ox, oy;
    void Set(int x, int y, std::uint8_t c) {
        if (x < 0 || y < 0 || x >= kCellW || y >= kCellH) return;
        sheet.px[oy + y][ox + x] = c;
    }
    void Fill(int x0, int y0, int x1, int y1, std::uint8_t c) {  // inclusive
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) Set(x, y, c);
    }
    void HLine(int x0, int x1, int y, std::uint8_t c) { Fill(x0, y, x1, y, c); }
    void VLine(int x, int y0, int y1, std::uint8_t c) { Fill(x, y0, x, y1, c); }
};

struct Look {
    std::string label;
    std::uint8_t accent;
};

int LabelScale(const std::string& label) {
    int n = int(label.size());
    return n * 2 * (kGlyphW + kGap) - 2 * kGap <= kCellW - 10 ? 2 : 1;
}

void DrawLabel(Cell& c, const std::string& label, int dx, int dy, std::uint8_t colour) {
    int s = LabelScale(label);
    int n = int(label.size());
    int w = n * s * (kGlyphW + kGap) - s * kGap;
    int x0 = (kCellW - w) / 2 + dx;
    int y0 = 12 + (14 - kGlyphH * s) / 2 + dy;
    for (int i = 0; i < n; ++i) {
        const Glyph* g = FindGlyph(label[i]);
        if (!g) continue;
        for (int r = 0; r < kGlyphH; ++r)
            for (int b = 0; b < kGlyphW; ++b)
                if (g->rows[r] & (0x10 >> b))
                    c.Fill(x0 + i * s * (kGlyphW + kGap) + b * s, y0 + r * s,
                           x0 + i * s * (kGlyphW + kGap) + b * s + s - 1, y0 + r * s + s - 1,
                           colour);
    }
}

// A little window: accent title bar with a close box, the label below.
void DrawContent(Cell& c, const Look& look, int d, bool disabled) {
    if (disabled) {
        // Etched: white one pixel down-right, grey on top.
        c.Fill(6 + 1, 5 + 1, 52 + 1, 9 + 1, kWhite);
        c.Fill(6, 5, 52, 9, kDark);
        c.Fill(48, 6, 50, 8, kFace);
        DrawLabel(c, look.label, 1, 1, kWhite);
        DrawLabel(c, look.label, 0, 0, kDark);
        return;
    }
    c.Fill(6 + d, 5 + d, 52 + d, 9 + d, look.accent);
    c.Fill(48 + d, 6 + d, 50 + d, 8 + d, kWhite);
    DrawLabel(c, look.label, d, d, kBlack);
}

void Raised(Cell& c) {
    c.HLine(0, kCellW - 1, 0, kWhite);
    c.VLine(0, 0, kCellH - 1, kWhite);
    c.HLine(1, kCellW - 2, 1, kLight);
    c.VLine(1, 1, kCellH - 2, kLight);
    c.HLine(1, kCellW - 2, kCellH - 2, kDark);
    c.VLine(kCellW - 2, 1, kCellH - 2, kDark);
    c.HLine(0, kCellW - 1, kCellH - 1, kBlack);
    c.VLine(kCellW - 1, 0, kCellH - 1, kBlack);
}

void Sunken(Cell& c) {
    c.HLine(0, kCellW - 1, 0, kBlack);
    c.VLine(0, 0, kCellH - 1, kBlack);
    c.HLine(1, kCellW - 2, 1, kDark);
    c.VLine(1, 1, kCellH - 2, kDark);
    c.HLine(1, kCellW - 2, kCellH - 2, kLight);
    c.VLine(kCellW - 2, 1, kCellH - 2, kLight);
    c.HLine(0, kCellW - 1, kCellH - 1, kWhite);
    c.VLine(kCellW - 1, 0, kCellH - 1, kWhite);
}

void FocusRect(Cell& c) {
    const int x0 = 3, y0 = 3, x1 = kCellW - 4, y1 = kCellH - 4;
    for (int x = x0; x <= x1; ++x) {
        if ((x + y0) % 2 == 0) c.Set(x, y0, kBlack);
        if ((x + y1) % 2 == 0) c.Set(x, y1, kBlack);
    }
    for (int y = y0; y <= y1; ++y) {
        if ((x0 + y) % 2 == 0) c.Set(x0, y, kBlack);
        if ((x1 + y) % 2 == 0) c.Set(x1, y, kBlack);
    }
}

void DrawSheet(Sheet& s, const Look& look) {
    Cell normal{s, 0, 0}, focused{s, kCellW, 0}, pressed{s, 0, kCellH}, disabled{s, kCellW, kCellH};
    Raised(normal);
    DrawContent(normal, look, 0, false);
    Raised(focused);
    DrawContent(focused, look, 0, false);
    FocusRect(focused);
    Sunken(pressed);
    DrawContent(pressed, look, 1, false);
    Raised(disabled);
    DrawContent(disabled, look, 0, true);
}

void WriteDib(std::uint8_t* rec, const Sheet& s) {
    std::uint8_t* h = rec + kDibOff;
    Put32(h, 40);
    Put32(h + 4, kWidth);
    Put32(h + 8, kHeight);  // positive: bottom-up
    Put16(h + 12, 1);
    Put16(h + 14, 8);
    Put32(h + 16, 0);  // BI_RGB
    Put32(h + 20, std::uint32_t(kStride) * kHeight);
    Put32(h + 24, 0);
    Put32(h + 28, 0);
    Put32(h + 32, 0);  // all 256 colours
    Put32(h + 36, 0);
    std::uint8_t* q = h + 40;
    for (int i = 0; i < 256; ++i) {
        q[4 * i] = kDiaPal[i][2];
        q[4 * i + 1] = kDiaPal[i][1];
        q[4 * i + 2] = kDiaPal[i][0];
        q[4 * i + 3] = 0;
    }
    for (int row = 0; row < kHeight; ++row) {
        size_t off = kBitsOff + size_t(row) * kStride;
        const std::uint8_t* src = s.px[kHeight - 1 - row];
        for (int x = 0; x < kStride; ++x)
            if (off + x < kRecordSize) rec[off + x] = x < kWidth ? src[x] : 0;
    }
}

// ---------------------------------------------------------------------------

struct Args {
    std::string out, check, name, app, file, version, label, preview;
    int accent = 32;
    bool haveName = false, haveApp = false, haveFile = false, haveVersion = false;
};

[[noreturn]] void Usage(const char* why) {
    std::fprintf(stderr, "mkmcr: %s\n", why);
    std::fprintf(stderr,
                 "usage: mkmcr --out FILE --name TEXT --app TEXT --file NAME --version M.mm\n"
                 "             --label ABCD --accent INDEX [--preview FILE.ppm]\n"
                 "       mkmcr --check FILE [--name TEXT --app TEXT --file NAME --version M.mm]\n");
    std::exit(2);
}

bool ParseVersion(const std::string& text, std::uint32_t* out) {
    // "1.05" is major 1, minor 5, shown back as (Version 1.05).
    char* end = nullptr;
    unsigned long major = std::strtoul(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '.') return false;
    const char* m = end + 1;
    unsigned long minor = std::strtoul(m, &end, 10);
    if (end == m || *end != '\0' || major > 0xFFFF || minor > 0xFFFF) return false;
    *out = std::uint32_t(major) << 16 | std::uint32_t(minor);
    return true;
}

Args Parse(int argc, char** argv) {
    Args a;
    for (int i = 1; i < argc; ++i) {
        std::string k = argv[i];
        if (i + 1 >= argc) Usage(("missing value after " + k).c_str());
        std::string v = argv[++i];
        if (k == "--out")
            a.out = v;
        else if (k == "--check")
            a.check = v;
        else if (k == "--name")
            a.name = v, a.haveName = true;
        else if (k == "--app")
            a.app = v, a.haveApp = true;
        else if (k == "--file")
            a.file = v, a.haveFile = true;
        else if (k == "--version")
            a.version = v, a.haveVersion = true;
        else if (k == "--label")
            a.label = v;
        else if (k == "--preview")
            a.preview = v;
        else if (k == "--accent") {
            char* end = nullptr;
            long n = std::strtol(v.c_str(), &end, 10);
            if (*end || n < 0 || n > 255) Usage("--accent takes a palette index 0-255");
            a.accent = int(n);
        } else {
            Usage(("unknown option " + k).c_str());
        }
    }
    return a;
}

// UTF-8 text into a NUL-terminated CP932 field.
bool PutText(std::uint8_t* rec, size_t off, size_t len, const std::string& utf8, const char* what) {
    std::string sjis;
    if (!Convert(utf8, "UTF-8", "CP932", &sjis)) {
        std::fprintf(stderr, "mkmcr: %s \"%s\" has characters outside code page 932\n", what,
                     utf8.c_str());
        return false;
    }
    if (sjis.size() + 1 > len) {
        std::fprintf(stderr, "mkmcr: %s \"%s\" takes %zu bytes with its NUL; the field holds %zu\n",
                     what, utf8.c_str(), sjis.size() + 1, len);
        return false;
    }
    std::memcpy(rec + off, sjis.data(), sjis.size());
    return true;
}

bool WritePreview(const std::string& path, const Sheet& s) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) std::fwrite(kDiaPal[s.px[y][x]], 1, 3, f);
    return std::fclose(f) == 0;
}

int Make(const Args& a) {
    if (!a.haveName || !a.haveApp || !a.haveFile || !a.haveVersion)
        Usage("--name, --app, --file and --version are needed");
    if (a.label.empty() || a.label.size() > 8) Usage("--label takes 1 to 8 characters");
    for (char c : a.label)
        if (!FindGlyph(c)) Usage("--label takes letters, digits and - + / . only");
    std::uint32_t version = 0;
    if (!ParseVersion(a.version, &version)) Usage("--version looks like 1.00");

    Bytes rec(kRecordSize, 0);
    if (!PutText(rec.data(), kNameOff, kNameLen, a.name, "item name") ||
        !PutText(rec.data(), kAppOff, kAppLen, a.app, "application name") ||
        !PutText(rec.data(), kFileOff, kFileLen, a.file, "file name"))
        return 1;
    Put32(rec.data() + kVersionOff, version);
    Sheet sheet;
    DrawSheet(sheet, Look{a.label, std::uint8_t(a.accent)});
    WriteDib(rec.data(), sheet);

    FILE* f = std::fopen(a.out.c_str(), "wb");
    if (!f || std::fwrite(rec.data(), 1, rec.size(), f) != rec.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "mkmcr: cannot write %s: %s\n", a.out.c_str(), std::strerror(errno));
        return 1;
    }
    if (!a.preview.empty() && !WritePreview(a.preview, sheet)) {
        std::fprintf(stderr, "mkmcr: cannot write %s\n", a.preview.c_str());
        return 1;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Reading back.

int g_faults = 0;
void Fault(const char* what) {
    std::printf("  FAULT: %s\n", what);
    ++g_faults;
}

// The field as text up to its first NUL; a field without one is a fault.
std::string Field(const Bytes& rec, size_t off, size_t len, const char* what) {
    const char* p = reinterpret_cast<const char*>(rec.data() + off);
    size_t n = strnlen(p, len);
    if (n == len) Fault((std::string(what) + " has no NUL inside its field").c_str());
    std::string utf8;
    if (!Convert(std::string(p, n), "CP932", "UTF-8", &utf8)) {
        Fault((std::string(what) + " is not code page 932").c_str());
        utf8 = "?";
    }
    std::printf("  %-9s \"%s\"\n", what, utf8.c_str());
    return utf8;
}

void Expect(bool cond, const char* what) {
    if (!cond) Fault(what);
}

int Check(const Args& a) {
    FILE* f = std::fopen(a.check.c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "mkmcr: cannot read %s\n", a.check.c_str());
        return 1;
    }
    Bytes rec(kRecordSize + 1);
    size_t got = std::fread(rec.data(), 1, rec.size(), f);
    std::fclose(f);
    std::printf("%s: %zu bytes\n", a.check.c_str(), got);
    Expect(got == kRecordSize, "size is not 9167 bytes");
    rec.resize(kRecordSize, 0);  // a short file reads as zeros, never past the buffer

    for (size_t i = 0; i < kNameOff; ++i) Expect(rec[i] == 0, "bytes 0-19 are not zero");
    for (size_t i = kVersionOff + 4; i < kDibOff; ++i)
        Expect(rec[i] == 0, "bytes 168-183 are not zero");
    std::string name = Field(rec, kNameOff, kNameLen, "name");
    std::string app = Field(rec, kAppOff, kAppLen, "app");
    std::string file = Field(rec, kFileOff, kFileLen, "file");
    std::uint32_t version = Get32(&rec[kVersionOff]);
    std::printf("  version   (Version %u.%02u)\n", version >> 16, version & 0xFFFF);
    if (a.haveName) Expect(name == a.name, "item name differs");
    if (a.haveApp) Expect(app == a.app, "application name differs");
    if (a.haveFile) Expect(file == a.file, "file name differs");
    if (a.haveVersion) {
        std::uint32_t want = 0;
        Expect(ParseVersion(a.version, &want) && want == version, "version differs");
    }

    const std::uint8_t* h = &rec[kDibOff];
    Expect(Get32(h) == 40, "biSize is not 40");
    Expect(Get32(h + 4) == std::uint32_t(kWidth), "width is not 118");
    Expect(Get32(h + 8) == std::uint32_t(kHeight), "height is not 66 (bottom-up)");
    Expect(h[12] == 1 && h[13] == 0, "planes is not 1");
    Expect(h[14] == 8 && h[15] == 0, "not 8 bits a pixel");
    Expect(Get32(h + 16) == 0, "compressed");
    Expect(Get32(h + 20) == 0 || Get32(h + 20) == std::uint32_t(kStride) * kHeight,
           "biSizeImage is not 7920");
    Expect(Get32(h + 32) == 0, "biClrUsed is not 0");
    bool paletteOk = true;
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t* q = h + 40 + 4 * i;
        if (q[0] != kDiaPal[i][2] || q[1] != kDiaPal[i][1] || q[2] != kDiaPal[i][0] || q[3] != 0)
            paletteOk = false;
    }
    Expect(paletteOk, "colour table is not the application palette");
    // Row padding is zero, and each cell has the frame its state calls for.
    bool padOk = true;
    for (int row = 0; row < kHeight; ++row)
        for (int x = kWidth; x < kStride; ++x) {
            size_t off = kBitsOff + size_t(row) * kStride + x;
            if (off < kRecordSize && rec[off] != 0) padOk = false;
        }
    Expect(padOk, "row padding is not zero");
    auto at = [&](int x, int y) { return rec[kBitsOff + size_t(kHeight - 1 - y) * kStride + x]; };
    Expect(at(0, 0) == kWhite && at(kCellW - 1, kCellH - 1) == kBlack, "normal cell is not raised");
    Expect(at(kCellW, 0) == kWhite && at(2 * kCellW - 1, kCellH - 1) == kBlack,
           "focus cell is not raised");
    Expect(at(0, kCellH) == kBlack && at(kCellW - 1, 2 * kCellH - 1) == kWhite,
           "pressed cell is not sunken");
    Expect(at(kCellW, kCellH) == kWhite && at(2 * kCellW - 1, 2 * kCellH - 1) == kBlack,
           "disabled cell is not raised");
    bool focusDots = false;
    for (int x = kCellW + 3; x < 2 * kCellW - 3; ++x)
        if (at(x, 3) == kBlack) focusDots = true;
    Expect(focusDots, "focus cell has no focus rectangle");

    std::printf("%s\n", g_faults ? "FAILED" : "ok");
    return g_faults ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    Args a = Parse(argc, argv);
    if (!a.check.empty()) return Check(a);
    if (a.out.empty()) Usage("--out or --check is needed");
    return Make(a);
}
