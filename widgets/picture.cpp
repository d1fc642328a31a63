#include "widgets/picture.h"

#include "widgets/palette.h"

HDC ScreenMemoryDC() {
    // The screen's, not a window DC's: naming a window DC costs Wine an
    // update of its visible region.
    static HDC dc = CreateCompatibleDC(nullptr);
    return dc;
}

void KeptPicture::Drop() {
    if (m_bitmap) DeleteObject(m_bitmap);
    m_bitmap = nullptr;
    m_drawn = false;
}

HDC KeptPicture::Prepare(HDC dc, const RECT& client, const AppPalette* palette) {
    const unsigned mapping = palette ? palette->Mapping() : 0;
    if (m_bitmap && (m_size.cx != client.right || m_size.cy != client.bottom || m_mapping != mapping)) Drop();
    if (!m_bitmap) {
        if (client.right <= 0 || client.bottom <= 0) return nullptr;
        m_bitmap = palette ? palette->ScreenBitmap(dc, client.right, client.bottom)
                           : CreateCompatibleBitmap(dc, client.right, client.bottom);
        if (!m_bitmap) return nullptr;
        m_size = SIZE{client.right, client.bottom};
        m_mapping = mapping;
        m_drawn = false;
    }
    HDC mem = ScreenMemoryDC();
    if (!mem) return nullptr;
    m_oldBitmap = SelectObject(mem, m_bitmap);
    m_oldMemPalette = !m_drawn && palette ? palette->Select(mem, false) : nullptr;
    return mem;
}

void KeptPicture::Show(HDC dc, HDC mem, const AppPalette* palette) {
    // A copy of a picture in the display's own format needs the palette
    // only where pixels are palette indices.
    HPALETTE old = palette && palette->OnPaletteDevice() ? palette->Select(dc, false) : nullptr;
    BitBlt(dc, 0, 0, m_size.cx, m_size.cy, mem, 0, 0, SRCCOPY);
    if (old) SelectPalette(dc, old, TRUE);
    if (m_oldMemPalette) SelectPalette(mem, m_oldMemPalette, TRUE);
    m_oldMemPalette = nullptr;
    SelectObject(mem, m_oldBitmap);
}

HPALETTE KeptPicture::SelectAppPalette(HDC dc, const AppPalette* palette) {
    return palette ? palette->Select(dc, false) : nullptr;
}
