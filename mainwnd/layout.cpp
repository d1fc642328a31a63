#include "mainwnd/layout.h"

#include "res/resource.h"

namespace layout {
namespace {

struct ToolPlace {
    int id;
    POINT mode1, mode0;
};
const ToolPlace kTools[] = {
    {IDC_CLIPCOPY, {3, 2}, {3, 2}},       {IDC_SAVETEXT, {33, 2}, {155, 2}},
    {IDC_EDITINFO, {72, 2}, {800, 600}},  {IDC_EDITITEM, {111, 2}, {307, 2}},
    {IDC_SAVEITEM, {141, 2}, {3, 30}},    {IDC_LOADITEM, {171, 2}, {155, 30}},
    {IDC_SELLEVEL, {210, 2}, {307, 30}},  {IDC_SETWARN, {240, 2}, {3, 58}},
    {IDC_SETPOS, {270, 2}, {155, 58}},    {IDC_SELDISP, {300, 2}, {307, 58}},
    {IDC_HELPFINDER, {339, 2}, {3, 86}},  {IDC_ABOUT, {369, 2}, {155, 86}},
    {IDOK, {408, 2}, {307, 86}},
};

// Statics seen only in display mode 1.
struct StaticPlace {
    int id;
    POINT mode1;
};
const StaticPlace kStatics[] = {
    {IDC_VERSIONLINE, {3, 429}},      {IDC_SYSINFO_FIRST + 0, {48, 66}},
    {IDC_SYSINFO_FIRST + 1, {240, 66}}, {IDC_SYSINFO_FIRST + 2, {84, 89}},
    {IDC_SYSINFO_FIRST + 3, {243, 89}}, {IDC_SYSINFO_FIRST + 4, {48, 113}},
    {IDC_SYSINFO_FIRST + 5, {9, 158}},  {IDC_SYSINFO_FIRST + 6, {65, 182}},
    {IDC_SYSINFO_FIRST + 7, {9, 225}},  {IDC_SYSINFO_FIRST + 8, {75, 249}},
    {IDC_SYSINFO_FIRST + 9, {236, 249}}, {IDC_SYSINFO_FIRST + 10, {9, 294}},
    {IDC_SYSINFO_FIRST + 11, {9, 341}}, {IDC_SYSINFO_FIRST + 12, {56, 368}},
    {IDC_LOGO, {544, 5}},
};

int RowTop0(int row, int usedItems) {
    int y = 120 + kRowPitch * row;
    return row <= usedItems ? y : y + 100;
}

}  // namespace

bool ControlOrigin(int id, int displayMode, int usedItems, POINT* pt) {
    for (const ToolPlace& t : kTools) {
        if (t.id == id) {
            *pt = displayMode ? t.mode1 : t.mode0;
            return true;
        }
    }
    for (const StaticPlace& s : kStatics) {
        if (s.id == id) {
            *pt = displayMode ? s.mode1 : kParked;
            return true;
        }
    }
    const int columns[3][3] = {
        // first id, x in mode 1, x in mode 0
        {IDC_ITEMBTN_FIRST, 318, 8},
        {IDC_NUMLED_FIRST, 380, 210},
        {IDC_LEVELLED_FIRST, 464, 294},
    };
    for (const auto& c : columns) {
        int row = id - c[0];
        if (row < 0 || row > 10) continue;
        if (displayMode)
            *pt = POINT{c[1], 36 + kRowPitch * row};
        else
            *pt = POINT{c[2], RowTop0(row, usedItems)};
        return true;
    }
    return false;
}

SIZE ClientSize(int displayMode, int usedItems) {
    if (displayMode) return SIZE{kDesignWidth, kDesignHeight};
    return SIZE{kCompactWidth, 160 + kRowPitch * usedItems};
}

}  // namespace layout
