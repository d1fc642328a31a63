#include "mainwnd/paint.h"

#include "res/resource.h"
#include "widgets/bevel.h"

void DrawLogoFrame(HDC dc, const RECT& r) {
    RECT o = r;
    InflateRect(&o, 2, 2);
    HBRUSH outer = CreateSolidBrush(PanelColor(88));
    FrameRect(dc, &o, outer);
    DeleteObject(outer);
    {
        PenScope light(dc, 195);
        MoveToEx(dc, o.left - 1, o.bottom, nullptr);
        LineTo(dc, o.left - 1, o.top - 1);
        LineTo(dc, o.right + 1, o.top - 1);
        MoveToEx(dc, o.right - 2, o.top + 1, nullptr);
        LineTo(dc, o.right - 2, o.bottom - 2);
        LineTo(dc, o.left, o.bottom - 2);
    }
    PenScope dark(dc, 41);
    MoveToEx(dc, o.left + 1, o.bottom - 3, nullptr);
    LineTo(dc, o.left + 1, o.top + 1);
    LineTo(dc, o.right - 2, o.top + 1);
    MoveToEx(dc, o.right, o.top, nullptr);
    LineTo(dc, o.right, o.bottom);
    LineTo(dc, o.left - 1, o.bottom);
}

// Offsets from the inner system panel's corner (5, 32).
const CaptionPlace kSystemCaptions[18] = {
    {IDS_CAP_SYSINFO, {5 + 79, 32 + 5}},
    {IDS_CAP_CPU, {9, 67}},     {IDS_CAP_CLOCK, {164, 67}},   {IDS_CAP_MHZ, {272, 67}},
    {IDS_CAP_L1CACHE, {9, 90}},      {IDS_CAP_KB, {122, 90}},      {IDS_CAP_L2CACHE, {167, 90}},
    {IDS_CAP_KB, {281, 90}},    {IDS_CAP_MEMORY, {9, 113}},   {IDS_CAP_KB, {101, 113}},
    {IDS_CAP_DISKCTRL, {9, 136}}, {IDS_CAP_DISK, {9, 182}},   {IDS_CAP_GRAPHICS, {9, 205}},
    {IDS_CAP_RESOLUTION, {9, 251}}, {IDS_CAP_COLOURS, {187, 251}}, {IDS_CAP_NETWORK, {9, 274}},
    {IDS_CAP_SOUND, {9, 320}},  {IDS_CAP_COMMENT, {9, 366}},
};

const CaptionPlace kCompactCaptions[12] = {
    {IDS_TIP_CLIPCOPY, {35, 10}}, {IDS_TIP_SAVETEXT, {187, 10}}, {IDS_TIP_EDITITEM, {339, 10}},
    {IDS_TIP_SAVEITEM, {35, 38}}, {IDS_TIP_LOADITEM, {187, 38}}, {IDS_TIP_SELLEVEL, {339, 38}},
    {IDS_TIP_SETWARN, {35, 66}},  {IDS_TIP_SETPOS, {187, 66}},   {IDS_TIP_SELDISP, {339, 66}},
    {IDS_TIP_HELPFINDER, {35, 94}}, {IDS_TIP_ABOUT, {187, 94}},  {IDS_TIP_CLOSE, {339, 94}},
};

HFONT CreatePanelFont(int height, int width, int weight, const char* face) {
    return CreateFontA(height, width, 0, 0, weight, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_RASTER_PRECIS,
                       CLIP_TT_ALWAYS, PROOF_QUALITY, FF_MODERN | DEFAULT_PITCH, face);
}
