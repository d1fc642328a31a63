// Palette colours and the sunken bevel shared by the main window's panels
// and its self-drawn widgets.
#pragma once
#include <windows.h>

#include <string>

// A colour by its index in the application palette; the DC must have the
// palette selected.
inline COLORREF PanelColor(int paletteIndex) { return PALETTEINDEX(paletteIndex); }

// A one-pixel solid pen of a palette colour, selected for its lifetime.
class PenScope {
public:
    PenScope(HDC dc, int paletteIndex)
        : m_dc(dc), m_pen(CreatePen(PS_SOLID, 1, PanelColor(paletteIndex))), m_old(SelectObject(dc, m_pen)) {}
    ~PenScope() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_pen);
    }
    PenScope(const PenScope&) = delete;
    PenScope& operator=(const PenScope&) = delete;
    void Line(int x0, int y0, int x1, int y1) const {
        MoveToEx(m_dc, x0, y0, nullptr);
        LineTo(m_dc, x1, y1);
    }

private:
    HDC m_dc;
    HPEN m_pen;
    HGDIOBJ m_old;
};

// Separate lines of the selected pen, each as MoveToEx and LineTo would
// draw it (its end point left out), in the order added; a full batch is
// drawn at once to make room. Polyline per line: PolyPolyline is not
// certain on every Windows 95.
template <int N>
class LineBatch {
public:
    LineBatch(HDC dc) : m_dc(dc) {}
    ~LineBatch() { Draw(); }
    LineBatch(const LineBatch&) = delete;
    LineBatch& operator=(const LineBatch&) = delete;
    void Add(int x0, int y0, int x1, int y1) {
        if (m_lines == N) Draw();
        m_points[2 * m_lines] = POINT{x0, y0};
        m_points[2 * m_lines + 1] = POINT{x1, y1};
        ++m_lines;
    }
    void Draw() {
        for (int i = 0; i < m_lines; ++i) Polyline(m_dc, &m_points[2 * i], 2);
        m_lines = 0;
    }

private:
    HDC m_dc;
    POINT m_points[2 * N];
    int m_lines = 0;
};

// A window's text read with one message, at most 511 bytes (the panels show
// less); paints read it every time.
std::string PaintText(HWND hwnd);

// Fills r with a solid palette colour through a rectangular clip region.
void FillPanel(HDC dc, const RECT& r, int paletteIndex);

// n nested one-pixel sunken bevel lines inside r (right, bottom exclusive).
void DrawSunkenBevel(HDC dc, const RECT& r, int n);
