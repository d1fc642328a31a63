// Shared between the GUI driver and gui_menuhook.dll.
// Menu handles only work inside the process that made them (Wine returns no
// system menu for another process's window and fails on foreign HMENUs), so the
// DLL hooks the window's thread and reads the menu from inside that process.
#pragma once
#include <windows.h>

struct HookMenuEntry {
    UINT id, type, state;  // as GetMenuItemInfoA reports them
    char text[256];
};

enum { kHookMenuMax = 128 };

#define GUI_MENUHOOK_DLL "gui_menuhook.dll"
#define GUI_MENUHOOK_READ "ReadRemoteMenu"

// Exported (cdecl) by the DLL: reads `menu` of the process owning `hwnd`, or the
// window's system menu when `menu` is null. Returns the number of entries stored
// in `out` (at most `max`), or -1 on failure.
typedef int (*ReadRemoteMenuFn)(HWND hwnd, HMENU menu, HookMenuEntry* out, int max);

enum { kHookRepaintMax = 1000 };
#define GUI_MENUHOOK_REPAINT "TimeRemoteRepaint"
// Exported (cdecl) by the DLL: `count` full repaints of `hwnd` and its
// children, timed inside the process owning it; stores each in `ms` and
// returns how many were timed, or -1 on failure.
typedef int (*TimeRemoteRepaintFn)(HWND hwnd, int count, double* ms);
