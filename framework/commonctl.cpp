#include "framework/commonctl.h"

#include "framework/kernelproc.h"

namespace commonctl {
namespace {
HMODULE g_library;
bool g_missing;  // asked once: a mouse move must not search the disk each time

template <class Fn>
Fn Proc(const char* name) {
    if (!Load()) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(g_library, name)));
}
}  // namespace

bool Load() {
    if (g_library) return true;
    if (g_missing) return false;
    HMODULE library = LoadSystemLibrary("comctl32.dll");
    if (!library) {
        g_missing = true;
        return false;
    }
    // Windows 95's comctl32 (4.00) registers its classes here;
    // InitCommonControlsEx came with 4.70.
    auto init = reinterpret_cast<void(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControls")));
    if (init) init();
    g_library = library;  // kept: windows of its classes live as long as the process
    return true;
}

bool Loaded() { return g_library != nullptr; }

HIMAGELIST ImageListCreate(int cx, int cy, UINT flags, int initial, int grow) {
    auto create = Proc<HIMAGELIST(WINAPI*)(int, int, UINT, int, int)>("ImageList_Create");
    return create ? create(cx, cy, flags, initial, grow) : nullptr;
}

int ImageListAdd(HIMAGELIST list, HBITMAP image, HBITMAP mask) {
    auto add = Proc<int(WINAPI*)(HIMAGELIST, HBITMAP, HBITMAP)>("ImageList_Add");
    return add && list ? add(list, image, mask) : -1;
}

}  // namespace commonctl
