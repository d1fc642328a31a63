#include "widgets/bevel.h"

std::string PaintText(HWND hwnd) {
    char text[512];
    int n = GetWindowTextA(hwnd, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

void FillPanel(HDC dc, const RECT& r, int paletteIndex) {
    HBRUSH brush = CreateSolidBrush(PanelColor(paletteIndex));
    HRGN region = CreateRectRgnIndirect(&r);
    FillRgn(dc, region, brush);
    DeleteObject(region);
    DeleteObject(brush);
}

void DrawSunkenBevel(HDC dc, const RECT& r, int n) {
    // Each pen's lines go in one call, in the order given: a dozen separate
    // moves and lines cost more than the rest of a small widget's paint.
    {
        PenScope dark(dc, 248);
        LineBatch<8> lines(dc);
        for (int i = 0; i < n; ++i) lines.Add(r.left + i, r.bottom - i - 1, r.left + i, r.top + i);
        for (int i = 0; i < n; ++i) lines.Add(r.right - i - 1, r.top + i, r.left + i, r.top + i);
    }
    {
        PenScope light(dc, 255);
        LineBatch<8> lines(dc);
        for (int i = 0; i < n; ++i) lines.Add(r.right - i - 1, r.bottom - i - 2, r.right - i - 1, r.top + i);
        for (int i = 0; i < n; ++i) lines.Add(r.left + i + 1, r.bottom - i - 1, r.right - i - 1, r.bottom - i - 1);
    }
    PenScope(dc, 235).Line(r.left, r.top, r.left + n, r.top + n);
    PenScope(dc, 244).Line(r.right - 1, r.bottom - 1, r.right - n - 1, r.bottom - n - 1);
}
