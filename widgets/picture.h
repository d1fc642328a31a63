// A self-drawn widget's finished picture, kept between paints: a paint is
// then one copy to the screen. The picture is drawn again when the client
// size or the palette's mapping changed; whatever else changes what it
// shows (text, colours) drops it.
#pragma once
#include <windows.h>

class AppPalette;

// A memory DC compatible with the screen, made once and shared by every
// paint that copies a picture: one made and deleted a paint was a good part
// of a small widget's paint. Each user puts back what it selects.
HDC ScreenMemoryDC();

class KeptPicture {
public:
    KeptPicture() = default;
    ~KeptPicture() { Drop(); }
    KeptPicture(const KeptPicture&) = delete;
    KeptPicture& operator=(const KeptPicture&) = delete;

    void Drop();
    // Handles WM_PAINT of window from the kept picture; draw(dc, client)
    // makes it first when there is none. The DC draw gets has the palette
    // selected and realised.
    template <class Draw>
    void Paint(HWND window, const AppPalette* palette, Draw draw) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        if (HDC mem = Prepare(dc, client, palette)) {
            if (!m_drawn) {
                draw(mem, client);
                m_drawn = true;
            }
            Show(dc, mem, palette);
        } else if (client.right > 0 && client.bottom > 0) {
            DrawDirect(dc, client, palette, draw);  // no memory for a picture
        }
        EndPaint(window, &ps);
    }

    // The messages of a widget that shows only its picture: true, with the
    // answer in *result, for an erase (the picture covers every pixel) and a
    // paint; a text change and the end drop the picture and go on to the
    // window's class.
    template <class Draw>
    bool Handle(HWND window, const AppPalette* palette, UINT msg, LRESULT* result, Draw draw) {
        if (msg == WM_ERASEBKGND) {
            *result = 1;
            return true;
        }
        if (msg == WM_PAINT) {
            Paint(window, palette, draw);
            *result = 0;
            return true;
        }
        if (msg == WM_SETTEXT || msg == WM_DESTROY) Drop();
        return false;
    }

private:
    template <class Draw>
    static void DrawDirect(HDC dc, const RECT& client, const AppPalette* palette, Draw& draw) {
        HPALETTE old = SelectAppPalette(dc, palette);
        draw(dc, client);
        if (old) SelectPalette(dc, old, TRUE);
    }
    static HPALETTE SelectAppPalette(HDC dc, const AppPalette* palette);
    // A memory DC holding the picture, made anew (m_drawn false) when it
    // is missing or out of date; null when there is no memory for it.
    HDC Prepare(HDC dc, const RECT& client, const AppPalette* palette);
    void Show(HDC dc, HDC mem, const AppPalette* palette);

    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    HPALETTE m_oldMemPalette = nullptr;
    SIZE m_size{};
    unsigned m_mapping = 0;  // the palette's mapping it was drawn with
    bool m_drawn = false;
};
