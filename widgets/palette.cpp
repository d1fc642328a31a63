#include "widgets/palette.h"

#include <cstdlib>
#include <cstring>

#include "framework/winapp.h"
#include "widgets/dib.h"

int ColourDepth(HDC dc) {
    int planes = GetDeviceCaps(dc, PLANES);
    if (planes > 1) return planes;
    int bits = GetDeviceCaps(dc, BITSPIXEL);
    return bits > 24 ? 24 : bits;
}

bool BuildPaletteEntries(const uint8_t* data, size_t size, int depth, PALETTEENTRY (&entries)[256]) {
    dib::Layout layout;
    if (!dib::Parse(data, size, &layout) || layout.colours != 256) return false;
    const uint8_t* table = data + layout.headerSize;  // blue, green, red, reserved
    for (int k = 0; k < 256; ++k) {
        // The static colours are plain colour matches on a palette device:
        // they equal the system's own, so they map onto its static entries.
        // A PC_EXPLICIT reference would be the same on Windows, but Wine
        // takes it for the colour (k, 0, 0).
        const bool system = k < 10 || k >= 246;
        const uint8_t* q = table + 4 * k;
        entries[k] = PALETTEENTRY{q[2], q[1], q[0], static_cast<BYTE>(system && depth == 8 ? 0 : PC_NOCOLLAPSE)};
    }
    return true;
}

const uint8_t* BitmapResource(const char* name, size_t* size) {
    HMODULE module = CWinApp::Get() ? CWinApp::Get()->m_hInstance : GetModuleHandleA(nullptr);
    HRSRC res = FindResourceExA(module, MAKEINTRESOURCEA(2) /* RT_BITMAP */, name,
                                MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    HGLOBAL mem = res ? LoadResource(module, res) : nullptr;
    if (!mem) return nullptr;
    *size = SizeofResource(module, res);
    return static_cast<const uint8_t*>(LockResource(mem));
}

AppPalette::~AppPalette() {
    if (m_palette) DeleteObject(m_palette);
    std::free(m_buffer);
}

bool AppPalette::Build(HWND window) {
    const size_t bytes = sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY);  // 1,032
    m_buffer = static_cast<LOGPALETTE*>(std::calloc(1, bytes));
    if (!m_buffer) {
        AppMessageBox(window, "<WM_CREATE> パレットのためのメモリが足りません。", MB_ICONSTOP);
        PostQuitMessage(0);
        return false;
    }
    m_buffer->palVersion = 0x300;
    m_buffer->palNumEntries = 256;
    size_t size = 0;
    const uint8_t* diapal = BitmapResource("DIAPAL", &size);
    HDC dc = GetDC(window);
    int depth = ColourDepth(dc);
    ReadFormat(dc);
    ReleaseDC(window, dc);
    PALETTEENTRY(&entries)[256] = *reinterpret_cast<PALETTEENTRY(*)[256]>(m_buffer->palPalEntry);
    if (!diapal || !BuildPaletteEntries(diapal, size, depth, entries)) return false;
    m_palette = CreatePalette(m_buffer);
    return m_palette != nullptr;
}

void AppPalette::ReadFormat(HDC dc) {
    m_planes = GetDeviceCaps(dc, PLANES);
    m_bitsPixel = GetDeviceCaps(dc, BITSPIXEL);
    m_paletteDevice = (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0;
}

void AppPalette::DisplayChanged(HWND window) {
    HDC dc = GetDC(window);
    ReadFormat(dc);
    ReleaseDC(window, dc);
    MappingChanged();
}

HBITMAP AppPalette::ScreenBitmap(HDC dc, int width, int height) const {
    if (m_planes > 0 && m_bitsPixel > 0) return CreateBitmap(width, height, m_planes, m_bitsPixel, nullptr);
    return CreateCompatibleBitmap(dc, width, height);
}

HPALETTE AppPalette::Select(HDC dc, bool background) const {
    if (!m_palette) return nullptr;
    HPALETTE old = SelectPalette(dc, m_palette, background);
    RealizePalette(dc);
    return old;
}

void AppPalette::Realize(HWND window) const {
    if (!m_palette) return;
    HDC dc = GetDC(window);
    HPALETTE old = SelectPalette(dc, m_palette, FALSE);
    if (RealizePalette(dc) > 0) {
        MappingChanged();
        InvalidateRect(window, nullptr, TRUE);
    }
    SelectPalette(dc, old, TRUE);
    RealizePalette(dc);
    ReleaseDC(window, dc);
}

HBITMAP LoadDibBitmap(HWND window, const uint8_t* data, size_t size) {
    dib::Layout layout;
    if (!dib::Parse(data, size, &layout)) return nullptr;
    // A clean header of our own: GDI sizes its reads from these fields, and
    // the stored ones may claim more than was checked (a used-colour count
    // above 16 bits, a later header version).
    const size_t infoSize = sizeof(BITMAPINFOHEADER) + layout.colours * sizeof(RGBQUAD);
    BITMAPINFO* info = static_cast<BITMAPINFO*>(std::calloc(1, infoSize + sizeof(RGBQUAD)));
    LOGPALETTE* logical = nullptr;
    if (layout.colours > 0) {
        logical = static_cast<LOGPALETTE*>(std::calloc(1, layout.colours * 4 + 8));
    }
    if (!info || (layout.colours > 0 && !logical)) {
        std::free(info);
        std::free(logical);
        AppMessageBox(window, "パレットのためのメモリが足りません。", MB_ICONSTOP);
        PostQuitMessage(0);
        return nullptr;
    }
    BITMAPINFOHEADER& h = info->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = layout.width;
    h.biHeight = layout.height;
    h.biPlanes = 1;
    h.biBitCount = layout.bitCount;
    h.biCompression = BI_RGB;
    h.biClrUsed = layout.colours;
    const uint8_t* table = data + layout.headerSize;
    std::memcpy(info->bmiColors, table, layout.colours * sizeof(RGBQUAD));

    HPALETTE temporary = nullptr;
    if (logical) {
        logical->palVersion = 0x300;
        logical->palNumEntries = static_cast<WORD>(layout.colours);
        for (uint32_t i = 0; i < layout.colours; ++i)
            logical->palPalEntry[i] = PALETTEENTRY{table[4 * i + 2], table[4 * i + 1], table[4 * i], 0};
        temporary = CreatePalette(logical);
    }
    HDC dc = GetWindowDC(window);
    HPALETTE old = temporary ? SelectPalette(dc, temporary, TRUE) : nullptr;
    if (temporary) RealizePalette(dc);
    HBITMAP bitmap = CreateDIBitmap(dc, &h, CBM_INIT, data + layout.bitsOffset, info, DIB_RGB_COLORS);
    if (temporary) SelectPalette(dc, old, TRUE);
    ReleaseDC(window, dc);
    if (temporary) DeleteObject(temporary);
    std::free(logical);
    std::free(info);
    return bitmap;
}
