// Pixel layout of the main window in its two display modes.
#pragma once
#include <windows.h>

namespace layout {

constexpr int kDesignWidth = 633;   // client size of display mode 1
constexpr int kDesignHeight = 455;
constexpr int kCompactWidth = 462;  // display mode 0
constexpr int kRowPitch = 35;
constexpr POINT kParked = {800, 600};  // outside every client area used

// Left-top corner of control id in the given mode; false for ids the layout
// does not place.
bool ControlOrigin(int id, int displayMode, int usedItems, POINT* pt);
SIZE ClientSize(int displayMode, int usedItems);

}  // namespace layout
