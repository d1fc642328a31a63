// GDI drawing: opens a window of its own and times frames of the kind of
// drawing applications of the day do through GDI32.DLL: lines, filled
// rectangles and ellipses, polygons, Japanese and Latin text in the
// Shift-JIS fonts, and bitmap transfers (BitBlt, StretchBlt, a DIB onto the
// screen). Every frame ends with GdiFlush and a check of a few pixels, so
// the drawing really reached the window; the fonts and bitmaps must exist
// and the window must be wholly visible, or parts of the drawing would be
// skipped or clipped away: a lighter workload than the reference was taken
// with, so the run ends early. The run value is the frames' TypicalTotal
// (zbmodule.h).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "zbmodule.h"

namespace {

// Measured with scripts/module-bench.sh on the reference machine (the
// development host, 2 processors, the Wine session on one), all six items
// in the same three sessions, so that 10000 means one machine for each:
// the median of the sessions' mean run values, microseconds.
// The x86_64 build runs under Wine's 64-bit loader (hosts that run no
// 32-bit code), which drives the applications at another pace: its own
// reference, from two sessions on such a host (times the workload's
// growth where it grew since).
#ifdef _WIN64
constexpr uint32_t kReference = 989000;
#else
constexpr uint32_t kReference = 1406000;
#endif

constexpr uint32_t kFrames = 48;
constexpr int kLayers = 6;  // drawing passes per frame
constexpr int kWidth = 480, kHeight = 320;

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

struct Tools {
    HFONT jp = nullptr, latin = nullptr;
    HBITMAP tile = nullptr;
    HDC tileDc = nullptr;
    HGDIOBJ tileOld = nullptr;
    std::vector<unsigned char> dibBits;
    BITMAPINFO dib = {};

    explicit Tools(HDC screen) {
        jp = CreateFontA(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         FIXED_PITCH | FF_MODERN, "ＭＳ ゴシック");
        latin =
            CreateFontA(-13, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "Arial");
        // A 64x64 tile for the block transfers, drawn once.
        tileDc = CreateCompatibleDC(screen);
        tile = CreateCompatibleBitmap(screen, 64, 64);
        tileOld = SelectObject(tileDc, tile);
        for (int y = 0; y < 64; y += 8)
            for (int x = 0; x < 64; x += 8) {
                HBRUSH b = CreateSolidBrush(RGB(x * 4, y * 4, 255 - x * 2));
                RECT r = {x, y, x + 8, y + 8};
                FillRect(tileDc, &r, b);
                DeleteObject(b);
            }
        // A 128x96 24-bit DIB of colour ramps.
        dib.bmiHeader.biSize = sizeof dib.bmiHeader;
        dib.bmiHeader.biWidth = 128;
        dib.bmiHeader.biHeight = 96;
        dib.bmiHeader.biPlanes = 1;
        dib.bmiHeader.biBitCount = 24;
        dib.bmiHeader.biCompression = BI_RGB;
        dibBits.resize(128 * 3 * 96);
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 128; ++x) {
                unsigned char* p = &dibBits[(y * 128 + x) * 3];
                p[0] = (unsigned char)(x * 2);
                p[1] = (unsigned char)(y * 2);
                p[2] = (unsigned char)((x + y) & 0xFF);
            }
    }
    ~Tools() {
        SelectObject(tileDc, tileOld);
        DeleteObject(tile);
        DeleteDC(tileDc);
        DeleteObject(jp);
        DeleteObject(latin);
    }
};

// One pass of everything; layers differ in where things go.
void Layer(HDC dc, const Tools& t, int layer) {
    int shift = layer * 7;
    // Lines in several pens.
    for (int i = 0; i < 300; ++i) {
        HPEN pen = CreatePen(i % 3 == 0 ? PS_DOT : PS_SOLID, i % 3 == 0 ? 1 : (i % 4) + 1,
                             RGB(i * 7 & 255, i * 13 & 255, i * 29 & 255));
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, (i * 37 + shift) % kWidth, (i * 11) % kHeight, nullptr);
        LineTo(dc, (i * 53 + 100) % kWidth, (i * 71 + 50) % kHeight);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    // Filled shapes.
    for (int i = 0; i < 200; ++i) {
        HBRUSH brush = i % 5 == 0 ? CreateHatchBrush(i % 6, RGB(0, 0, 128))
                                  : CreateSolidBrush(RGB(i * 5 & 255, 128, 255 - (i * 3 & 255)));
        HGDIOBJ oldB = SelectObject(dc, brush);
        int x = (i * 41 + shift) % (kWidth - 60), y = (i * 23) % (kHeight - 40);
        switch (i % 4) {
            case 0:
                Rectangle(dc, x, y, x + 50, y + 30);
                break;
            case 1:
                Ellipse(dc, x, y, x + 40, y + 36);
                break;
            case 2:
                RoundRect(dc, x, y, x + 56, y + 32, 10, 10);
                break;
            default: {
                POINT pts[5] = {
                    {x, y + 30}, {x + 20, y}, {x + 45, y + 8}, {x + 52, y + 34}, {x + 18, y + 38}};
                Polygon(dc, pts, 5);
            }
        }
        SelectObject(dc, oldB);
        DeleteObject(brush);
    }
    // Text, Japanese and Latin, opaque and transparent.
    HGDIOBJ oldF = SelectObject(dc, t.jp);
    for (int i = 0; i < 60; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "描画の測定 %03d 行目 ｸﾛﾉﾗﾝ", i);
        SetBkMode(dc, i % 2 ? TRANSPARENT : OPAQUE);
        SetTextColor(dc, RGB(i * 4, 0, 128));
        TextOutA(dc, (i * 17 + shift) % 200, (i * 19) % (kHeight - 16), line,
                 int(std::strlen(line)));
    }
    SelectObject(dc, t.latin);
    for (int i = 0; i < 60; ++i) {
        const char line[] = "The quick brown fox jumps over the lazy dog 0123456789";
        RECT r = {(i * 13 + shift) % 240, (i * 29) % (kHeight - 20), kWidth, kHeight};
        DrawTextA(dc, line, -1, &r, DT_LEFT | DT_SINGLELINE);
    }
    SelectObject(dc, oldF);
    // Bitmaps.
    for (int i = 0; i < 80; ++i)
        BitBlt(dc, (i * 47 + shift) % (kWidth - 64), (i * 31) % (kHeight - 64), 64, 64, t.tileDc, 0,
               0, i % 2 ? SRCCOPY : SRCINVERT);
    for (int i = 0; i < 20; ++i)
        StretchBlt(dc, (i * 61 + shift) % (kWidth - 120), (i * 37) % (kHeight - 90), 120 - i,
                   90 - i, t.tileDc, 0, 0, 64, 64, SRCCOPY);
    for (int i = 0; i < 10; ++i)
        SetDIBitsToDevice(dc, (i * 83 + shift) % (kWidth - 128), (i * 43) % (kHeight - 96), 128, 96,
                          0, 0, 0, 96, t.dibBits.data(), &t.dib, DIB_RGB_COLORS);
}

// Nothing covers the client area, so no drawing is clipped away.
bool WhollyVisible(HWND hwnd) {
    HDC dc = GetDC(hwnd);
    RECT box = {};
    int kind = dc ? GetClipBox(dc, &box) : ERROR;
    if (dc) ReleaseDC(hwnd, dc);
    return kind == SIMPLEREGION && box.left == 0 && box.top == 0 && box.right == kWidth &&
           box.bottom == kHeight;
}

// One frame; false when the marks it leaves are not on the window.
bool Frame(HWND hwnd, const Tools& t, uint32_t frame) {
    HDC dc = GetDC(hwnd);
    RECT all = {0, 0, kWidth, kHeight};
    FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    for (int layer = 0; layer < kLayers; ++layer) Layer(dc, t, layer);

    // Marks in two corners, then read them back from the window.
    COLORREF mark = RGB(255, 0, frame & 0xFF);
    RECT m1 = {0, 0, 4, 4}, m2 = {kWidth - 4, kHeight - 4, kWidth, kHeight};
    HBRUSH mb = CreateSolidBrush(mark);
    FillRect(dc, &m1, mb);
    FillRect(dc, &m2, mb);
    DeleteObject(mb);
    GdiFlush();
    bool ok = GetPixel(dc, 1, 1) == mark && GetPixel(dc, kWidth - 2, kHeight - 2) == mark;
    ReleaseDC(hwnd, dc);
    return ok;
}

bool Measure(zb::Run& run) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "ZbGdiDraw";
    RegisterClassA(&wc);
    RECT r = {0, 0, kWidth, kHeight};
    DWORD style = WS_OVERLAPPED | WS_CAPTION;
    AdjustWindowRect(&r, style, FALSE);
    HWND hwnd = CreateWindowA("ZbGdiDraw", "GDI 描画", style, 40, 40, r.right - r.left,
                              r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd) return run.Fail("cannot create the drawing window");
    // Topmost: another window over ours would clip the drawing.
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    Pump();

    bool ok;
    {
        HDC screen = GetDC(hwnd);
        Tools tools(screen);
        ReleaseDC(hwnd, screen);
        ok = (tools.jp && tools.latin && tools.tile && tools.tileDc) ||
             run.Fail("cannot create the fonts and bitmaps to draw with");
        ok = ok && (WhollyVisible(hwnd) || run.Fail("the drawing window is covered"));
        // Untimed frames first: fonts and glyphs are then cached (more of
        // them in the first run of a measurement, which meets everything cold).
        for (uint32_t i = 0; ok && i < (run.Index() == 0 ? 3u : 1u); ++i)
            ok = Frame(hwnd, tools, 200 + i) || run.Fail("the drawing did not reach the window");
        ok = ok && run.TimePasses(kFrames, [&](uint32_t i) {
            bool drawn = Frame(hwnd, tools, i + 1);
            run.StopClock();
            Pump();
            bool visible = WhollyVisible(hwnd);
            run.StartClock();
            if (!drawn) return run.Fail("the drawing did not reach the window");
            return visible || run.Fail("the drawing window is covered");
        });
    }
    DestroyWindow(hwnd);
    Pump();
    UnregisterClassA("ZbGdiDraw", wc.hInstance);
    return ok;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return zb::Main(kReference, Measure);
}
