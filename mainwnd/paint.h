// Drawing of the main window's own background: bevels, logo frame, captions.
#pragma once
#include <windows.h>

#include "widgets/bevel.h"

void DrawLogoFrame(HDC dc, const RECT& r);

struct CaptionPlace {
    UINT stringId;
    POINT pos;
};
// The system panel's title and 17 captions, in paint order.
extern const CaptionPlace kSystemCaptions[18];
// Captions beside the tool buttons in display mode 0, in tool order.
extern const CaptionPlace kCompactCaptions[12];

HFONT CreatePanelFont(int height, int width, int weight, const char* face);
