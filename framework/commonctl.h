// The common controls (tool tips, up-downs, progress bars, list views) come
// from comctl32, loaded the first time a window needs them rather than at
// start: under Wine, loading it and registering its classes is a sixth of
// the program's start-up, and the main window only needs it for its tips.
#pragma once
#include <windows.h>
#include <commctrl.h>

namespace commonctl {

// Loads the library from the system directory once and registers its
// classes. False when the system has none: windows of those classes then
// cannot be made.
bool Load();

// Whether Load has succeeded in this process.
bool Loaded();

// The image list functions through the loaded library; null and -1 without it.
HIMAGELIST ImageListCreate(int cx, int cy, UINT flags, int initial, int grow);
int ImageListAdd(HIMAGELIST list, HBITMAP image, HBITMAP mask);

}  // namespace commonctl
