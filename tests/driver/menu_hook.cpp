// gui_menuhook.dll: loaded by the driver and, through a thread hook, by the
// program under test, where it reads a menu into a named shared block, or
// times repaints of a window without the round trips between processes.
#include "menu_hook.h"

namespace {

HINSTANCE g_self;
const char kMessage[] = "ZelbrGuiDriverReadMenu";

struct SharedBlock {
    LONG count;
    HookMenuEntry items[kHookMenuMax];
};

// The block is named after the reading process so parallel test runs don't mix.
void BlockName(char* name, DWORD readerPid) {
    wsprintfA(name, "ZelbrGuiDriverMenu.%lu", readerPid);
}

// Runs inside the program under test.
void DumpMenu(HWND hwnd, HMENU menu, DWORD readerPid) {
    char name[64];
    BlockName(name, readerPid);
    HANDLE map = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    if (!map) return;
    SharedBlock* block = (SharedBlock*)MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, 0);
    if (block) {
        if (!menu) menu = GetSystemMenu(hwnd, FALSE);
        int n = menu ? GetMenuItemCount(menu) : -1;
        if (n > kHookMenuMax) n = kHookMenuMax;
        for (int i = 0; i < n; i++) {
            HookMenuEntry& e = block->items[i];
            MENUITEMINFOA info = {};
            info.cbSize = sizeof info;
            info.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE;
            info.dwTypeData = e.text;
            info.cch = sizeof e.text;
            e.text[0] = 0;
            if (!GetMenuItemInfoA(menu, i, TRUE, &info)) { n = -1; break; }
            e.id = info.wID;
            e.type = info.fType;
            e.state = info.fState;
        }
        block->count = n;
        UnmapViewOfFile(block);
    }
    CloseHandle(map);
}

const char kRepaintMessage[] = "ZelbrGuiDriverTimeRepaint";

struct RepaintBlock {
    LONG count;
    HHOOK hook;  // taken out before timing: every message would pass it
    double ms[kHookRepaintMax];
};

void RepaintBlockName(char* name, DWORD readerPid) { wsprintfA(name, "ZelbrGuiDriverRepaint.%lu", readerPid); }

// Runs inside the program under test: full repaints of the window and all
// its children, each timed from the request to the last child painted.
void TimeRepaints(HWND hwnd, int count, DWORD readerPid) {
    char name[64];
    RepaintBlockName(name, readerPid);
    HANDLE map = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    if (!map) return;
    RepaintBlock* block = (RepaintBlock*)MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, 0);
    if (block) {
        UnhookWindowsHookEx(block->hook);
        LARGE_INTEGER f, t0, t1;
        QueryPerformanceFrequency(&f);
        if (count > kHookRepaintMax) count = kHookRepaintMax;
        for (int i = 0; i < count; i++) {
            QueryPerformanceCounter(&t0);
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            QueryPerformanceCounter(&t1);
            block->ms[i] = double(t1.QuadPart - t0.QuadPart) * 1000.0 / double(f.QuadPart);
        }
        block->count = count;
        UnmapViewOfFile(block);
    }
    CloseHandle(map);
}

LRESULT CALLBACK CallWndHook(int code, WPARAM wp, LPARAM lp) {
    static UINT message, repaint;  // plain statics: no thread-safe init code in the hook
    if (!message) message = RegisterWindowMessageA(kMessage);
    if (!repaint) repaint = RegisterWindowMessageA(kRepaintMessage);
    const CWPSTRUCT* call = (const CWPSTRUCT*)lp;
    if (code == HC_ACTION && call->message == message)
        DumpMenu(call->hwnd, (HMENU)call->lParam, (DWORD)call->wParam);
    if (code == HC_ACTION && call->message == repaint)
        TimeRepaints(call->hwnd, (int)call->lParam, (DWORD)call->wParam);
    return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace

extern "C" __declspec(dllexport) int ReadRemoteMenu(HWND hwnd, HMENU menu, HookMenuEntry* out, int max) {
    char name[64];
    BlockName(name, GetCurrentProcessId());
    HANDLE map = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SharedBlock), name);
    if (!map) return -1;
    int n = -1;
    SharedBlock* block = (SharedBlock*)MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, 0);
    DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
    HHOOK hook = thread && block ? SetWindowsHookExA(WH_CALLWNDPROC, CallWndHook, g_self, thread) : nullptr;
    if (hook) {
        block->count = -1;
        DWORD_PTR ignored;
        // The hook sees the sent message in the program's thread before its window procedure.
        if (SendMessageTimeoutA(hwnd, RegisterWindowMessageA(kMessage), GetCurrentProcessId(), (LPARAM)menu,
                                SMTO_ABORTIFHUNG, 5000, &ignored))
            n = block->count;
        UnhookWindowsHookEx(hook);
        if (n > max) n = max;
        for (int i = 0; i < n; i++) out[i] = block->items[i];
    }
    if (block) UnmapViewOfFile(block);
    CloseHandle(map);
    return n;
}

extern "C" __declspec(dllexport) int TimeRemoteRepaint(HWND hwnd, int count, double* ms) {
    char name[64];
    RepaintBlockName(name, GetCurrentProcessId());
    HANDLE map = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(RepaintBlock), name);
    if (!map) return -1;
    int n = -1;
    RepaintBlock* block = (RepaintBlock*)MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, 0);
    DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
    HHOOK hook = thread && block ? SetWindowsHookExA(WH_CALLWNDPROC, CallWndHook, g_self, thread) : nullptr;
    if (hook) {
        block->count = -1;
        block->hook = hook;
        DWORD_PTR ignored;
        if (SendMessageTimeoutA(hwnd, RegisterWindowMessageA(kRepaintMessage), GetCurrentProcessId(), count,
                                SMTO_ABORTIFHUNG, 60000, &ignored))
            n = block->count;
        UnhookWindowsHookEx(hook);
        for (int i = 0; i < n; i++) ms[i] = block->ms[i];
    }
    if (block) UnmapViewOfFile(block);
    CloseHandle(map);
    return n;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_self = self;
    return TRUE;
}
