#include "widgets/led.h"

#include <cmath>
#include <cstdlib>

#include "framework/winapp.h"
#include "widgets/bevel.h"

#include "widgets/palette.h"

namespace led {

namespace {
// One character per segment in drawing order, '1' lit.
constexpr uint8_t Lit(const char (&segments)[8]) {
    uint8_t bits = 0;
    for (int k = 0; k < kSegmentCount; ++k)
        if (segments[k] == '1') bits |= uint8_t(1 << k);
    return bits;
}
}  // namespace

uint8_t DigitSegments(char c) {
    static constexpr uint8_t kDigits[10] = {
        Lit("1110111"), Lit("0010010"), Lit("1011101"), Lit("1011011"), Lit("0111010"),
        Lit("1101011"), Lit("1101111"), Lit("1110010"), Lit("1111111"), Lit("1111011"),
    };
    return c >= '0' && c <= '9' ? kDigits[c - '0'] : kDigits[0];
}

uint8_t PositionSegments(const std::string& text, int position) {
    int n = static_cast<int>(text.size());
    if (position < 0 || position >= n) return 0;
    return DigitSegments(text[n - 1 - position]);
}

NumGeometry NumLayout(int width, int height) {
    NumGeometry g;
    g.segment = (height - 17) / 2;
    if (g.segment < 0 || width < 4) return g;
    const int L = g.segment;
    const int count = (width - 4) / (L + 8);
    for (int i = 0; i < count; ++i)
        g.digits.push_back(POINT{width - 4 - (i + 1) * (L + 6) - 2 * i, height - (2 * L + 9) - 4});
    return g;
}

POINT SegmentOrigin(int x, int y, int L, int segment, bool* horizontal) {
    *horizontal = segment == kTop || segment == kMiddle || segment == kBottom;
    switch (segment) {
    case kTop: return POINT{x + 2, y};
    case kUpperLeft: return POINT{x, y + 2};
    case kUpperRight: return POINT{x + L + 3, y + 2};
    case kMiddle: return POINT{x + 2, y + L + 3};
    case kLowerLeft: return POINT{x, y + L + 5};
    case kLowerRight: return POINT{x + L + 3, y + L + 5};
    default: return POINT{x + 2, y + 2 * L + 6};
    }
}

void SegmentLines(int sx, int sy, int L, bool horizontal, POINT (&lines)[3][2]) {
    // The middle line is one pixel longer at each end: pointed segments.
    for (int k = 0; k < 3; ++k) {
        int inset = k == 1 ? 0 : 1;
        int length = k == 1 ? L + 2 : L;
        if (horizontal) {
            lines[k][0] = POINT{sx + inset, sy + k};
            lines[k][1] = POINT{sx + inset + length, sy + k};
        } else {
            lines[k][0] = POINT{sx + k, sy + inset};
            lines[k][1] = POINT{sx + k, sy + inset + length};
        }
    }
}

bool LevelLayout(int width, int height, LevelGeometry* g) {
    const int w = width - 8;
    g->barHeight = height - 8;
    g->gap = (w / kBars) / 2;
    g->barWidth = w / kBars - g->gap;
    if (g->barWidth <= 0) return false;
    g->left = (w - kBars * g->barWidth - (kBars - 1) * g->gap) / 2 + 4;
    return true;
}

double LeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return 0;
    // An exponent counts only when digits follow it.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
            i = j;
        }
    }
    return std::strtod(text.substr(start, i - start).c_str(), nullptr);
}

int LitBars(const std::string& text) {
    double v = LeadingNumber(text);
    if (v == 0) return 0;
    double bars = std::trunc(v / 1000) + 1;
    if (bars > kBars) return kBars;  // also keeps a huge value inside an int
    if (bars < 0) return 0;
    return static_cast<int>(bars);
}

int BarColour(int bar, bool lit) {
    static const int kBands[6][2] = {{30, 249}, {35, 83}, {41, 251}, {39, 250}, {107, 254}, {97, 253}};
    int band = bar / 5 < 5 ? bar / 5 : 5;
    return kBands[band][lit ? 1 : 0];
}

}  // namespace led

void PaintLedFace(HDC dc, const RECT& client) {
    RECT inner = client;
    InflateRect(&inner, -2, -2);
    FillPanel(dc, inner, 0);
    DrawSunkenBevel(dc, client, 2);
}

bool CNumLed::InitNumLed(int id, CWnd* parent, const AppPalette* palette) {
    if (!SubclassDlgItem(id, parent)) return false;
    m_palette = palette;
    SetColors(250, 39);
    RECT r = GetClientRect();
    m_geometry = led::NumLayout(r.right, r.bottom);
    return true;
}

LRESULT CNumLed::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (m_picture.Handle(m_hWnd, m_palette, msg, &result, [this](HDC dc, const RECT& client) { Draw(dc, client); }))
        return result;
    return CStatic::WindowProc(msg, wp, lp);
}

void CNumLed::Draw(HDC dc, const RECT& client) {
    PaintLedFace(dc, client);
    const std::string text = PaintText(m_hWnd);
    // One call a colour for all the segment lines of that colour: drawn one
    // by one they were most of the display's paint.
    HGDIOBJ oldPen = GetCurrentObject(dc, OBJ_PEN);
    const int L = m_geometry.segment;
    for (int on = 0; on < 2; ++on) {
        HPEN pen = CreatePen(PS_SOLID, 1, PanelColor(on ? m_lit : m_unlit));
        SelectObject(dc, pen);
        LineBatch<64> batch(dc);
        for (size_t i = 0; i < m_geometry.digits.size(); ++i) {
            uint8_t lit = led::PositionSegments(text, static_cast<int>(i));
            for (int s = 0; s < led::kSegmentCount; ++s) {
                if (((lit >> s) & 1) != on) continue;
                bool horizontal = false;
                POINT o = led::SegmentOrigin(m_geometry.digits[i].x, m_geometry.digits[i].y, L, s, &horizontal);
                POINT lines[3][2];
                led::SegmentLines(o.x, o.y, L, horizontal, lines);
                for (auto& line : lines) batch.Add(line[0].x, line[0].y, line[1].x, line[1].y);
            }
        }
        batch.Draw();
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
}

bool CLevelLed::InitLevelLed(int id, CWnd* parent, const AppPalette* palette) {
    if (!SubclassDlgItem(id, parent)) return false;
    m_palette = palette;
    RECT r = GetClientRect();
    if (!led::LevelLayout(r.right, r.bottom, &m_geometry)) {
        MessageBox("InitLevelLed() LEDが描画できません。", MB_ICONSTOP);
        PostQuitMessage(0);
        return false;
    }
    return true;
}

LRESULT CLevelLed::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (m_picture.Handle(m_hWnd, m_palette, msg, &result, [this](HDC dc, const RECT& client) { Draw(dc, client); }))
        return result;
    return CStatic::WindowProc(msg, wp, lp);
}

void CLevelLed::Draw(HDC dc, const RECT& client) {
    PaintLedFace(dc, client);
    const int lit = led::LitBars(PaintText(m_hWnd));
    const led::LevelGeometry& g = m_geometry;
    // One brush and one pen a colour for the whole paint, not one a bar.
    struct Ink {
        int colour = -1;
        HBRUSH brush = nullptr;
        HPEN pen = nullptr;
    } inks[12];
    for (int i = 0; i < led::kBars && g.barWidth > 0; ++i) {
        int colour = led::BarColour(i, i < lit);
        Ink& ink = inks[(i / 5 < 5 ? i / 5 : 5) * 2 + (i < lit ? 1 : 0)];
        if (ink.colour != colour) {
            ink.colour = colour;
            ink.brush = CreateSolidBrush(PanelColor(colour));
            ink.pen = CreatePen(PS_SOLID, 1, PanelColor(colour));
        }
        int x = g.left + i * (g.barWidth + g.gap), y = 4;
        RECT body{x, y + 1, x + g.barWidth, y + g.barHeight - 1};
        FillRect(dc, &body, ink.brush);
    }
    // The rounded top and bottom rows, one call a colour.
    HGDIOBJ oldPen = GetCurrentObject(dc, OBJ_PEN);
    for (int i = 0; i < led::kBars && g.barWidth >= 3;) {
        const Ink& ink = inks[(i / 5 < 5 ? i / 5 : 5) * 2 + (i < lit ? 1 : 0)];
        SelectObject(dc, ink.pen);
        LineBatch<16> rows(dc);
        do {
            int x = g.left + i * (g.barWidth + g.gap), y = 4;
            rows.Add(x + 1, y, x + g.barWidth - 1, y);
            rows.Add(x + 1, y + g.barHeight - 1, x + g.barWidth - 1, y + g.barHeight - 1);
            ++i;
        } while (i < led::kBars && led::BarColour(i, i < lit) == ink.colour);
    }
    SelectObject(dc, oldPen);
    for (Ink& ink : inks) {
        if (ink.brush) DeleteObject(ink.brush);
        if (ink.pen) DeleteObject(ink.pen);
    }
}
