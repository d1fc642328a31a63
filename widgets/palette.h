// The application palette: every self-drawn widget paints with indices into
// it, so colours hold on a 256-colour display.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// Colour depth as the program counts it: planes when there are several,
// else bits per pixel, never more than 24.
int ColourDepth(HDC dc);

// The 256 entries from the colour table of the "DIAPAL" DIB. Entries 10-245
// never collapse; on an 8-bit display entries 0-9 and 246-255 carry their
// colours without flags, so they match the system's static colours, and
// elsewhere they never collapse either. False when the bytes hold no
// 256-colour table.
bool BuildPaletteEntries(const uint8_t* dib, size_t size, int depth, PALETTEENTRY (&entries)[256]);

// Bytes of an RT_BITMAP resource of this module (neutral language); null
// when there is none.
const uint8_t* BitmapResource(const char* name, size_t* size);
inline const uint8_t* BitmapResource(UINT id, size_t* size) { return BitmapResource(MAKEINTRESOURCEA(id), size); }

// A device bitmap from a packed DIB, its colours realised through a palette
// of its own colour table in window's DC. Null when the bytes hold no sound
// DIB; GDI then reads nothing of them. A message and the quit message when
// there is no memory for the palette.
HBITMAP LoadDibBitmap(HWND window, const uint8_t* dib, size_t size);

class AppPalette {
public:
    AppPalette() = default;
    ~AppPalette();
    AppPalette(const AppPalette&) = delete;
    AppPalette& operator=(const AppPalette&) = delete;

    // From "DIAPAL" and the depth of window's display. A message and the
    // quit message when there is no memory for it.
    bool Build(HWND window);
    // Realises it in window's client DC; a change of the system palette
    // repaints the whole window.
    void Realize(HWND window) const;
    // Selects it into dc (foreground or background) and realises it;
    // returns the palette to put back.
    HPALETTE Select(HDC dc, bool background) const;
    HPALETTE get() const { return m_palette; }
    // Whether the display's pixels are palette indices (read once).
    bool OnPaletteDevice() const { return m_paletteDevice; }
    // Counts changes of the colours the palette's indices stand for on the
    // screen: pictures kept in the display's format are stale after one.
    unsigned Mapping() const { return m_mapping; }
    void MappingChanged() const { ++m_mapping; }
    // After a change of the display's format or colours: reads the format
    // again and counts a change of the mapping.
    void DisplayChanged(HWND window);
    // A bitmap of the display's own format, as CreateCompatibleBitmap would
    // make for dc, but without asking the device each time: under Wine that
    // question costs a round of display queries, more than the whole paint
    // of a panel. Null when it cannot be made.
    HBITMAP ScreenBitmap(HDC dc, int width, int height) const;

private:
    void ReadFormat(HDC dc);
    int m_planes = 0, m_bitsPixel = 0;  // of the display, read once
    bool m_paletteDevice = false;
    mutable unsigned m_mapping = 0;
    LOGPALETTE* m_buffer = nullptr;
    HPALETTE m_palette = nullptr;
};
