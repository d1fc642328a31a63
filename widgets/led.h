// Seven-segment score display and 30-lamp level bar. Both show their own
// window text, a score written with "%d" or empty for "not measured".
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "widgets/picture.h"

class AppPalette;

namespace led {

// Segments in drawing order: top, upper left, upper right, middle, lower
// left, lower right, bottom; bit k set = segment k lit.
enum Segment { kTop, kUpperLeft, kUpperRight, kMiddle, kLowerLeft, kLowerRight, kBottom, kSegmentCount };
// Lit segments of a character: digits as themselves, anything else as 0.
uint8_t DigitSegments(char c);
// Segments of digit position i (0 = rightmost) for text; 0 when blank.
uint8_t PositionSegments(const std::string& text, int position);

struct NumGeometry {
    int segment = 0;  // segment length L
    std::vector<POINT> digits;  // top-left of each digit cell, rightmost first
};
// Right- and bottom-aligned digit cells of L + 6 by 2L + 9 pixels, two
// pixels apart; none when the client is too small for one.
NumGeometry NumLayout(int width, int height);
// Top-left corner of segment s of a digit cell at (x, y), and whether it
// runs horizontally.
POINT SegmentOrigin(int x, int y, int length, int segment, bool* horizontal);
// The three one-pixel lines of a segment at (sx, sy), end points exclusive.
void SegmentLines(int sx, int sy, int length, bool horizontal, POINT (&lines)[3][2]);

constexpr int kBars = 30;
struct LevelGeometry {
    int barWidth = 0, barHeight = 0, gap = 0, left = 0;
};
// Thirty bars and 29 gaps centred in the client less a 4-pixel margin;
// false when a bar would be no pixel wide.
bool LevelLayout(int width, int height, LevelGeometry* g);
// Bars lit for a text: none for 0, else one per full 1000 plus one.
int LitBars(const std::string& text);
// Palette index of bar i, lit or unlit: red, orange, yellow, green, cyan
// and magenta in fives.
int BarColour(int bar, bool lit);
// Leading decimal number of a text (after white space); 0 when there is none.
double LeadingNumber(const std::string& text);

}  // namespace led

class CNumLed : public CStatic {
public:
    bool InitNumLed(int id, CWnd* parent, const AppPalette* palette);
    void SetColors(int lit, int unlit) {
        m_lit = lit;
        m_unlit = unlit;
        m_picture.Drop();
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Draw(HDC dc, const RECT& client);
    const AppPalette* m_palette = nullptr;
    KeptPicture m_picture;
    led::NumGeometry m_geometry;
    int m_lit = 250, m_unlit = 39;
};

class CLevelLed : public CStatic {
public:
    bool InitLevelLed(int id, CWnd* parent, const AppPalette* palette);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Draw(HDC dc, const RECT& client);
    const AppPalette* m_palette = nullptr;
    KeptPicture m_picture;
    led::LevelGeometry m_geometry;
};

// The black face and sunken frame both displays paint first.
void PaintLedFace(HDC dc, const RECT& client);
