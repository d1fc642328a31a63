#include "framework/filedlg.h"

#include <cderr.h>

#include "framework/kernelproc.h"

namespace filedlg {
namespace {
FARPROC Function(const char* name) {
    static HMODULE dll = LoadSystemLibrary("comdlg32.dll");
    return dll ? GetProcAddress(dll, name) : nullptr;
}

BOOL Show(const char* name, OPENFILENAMEA* ofn) {
    using Fn = BOOL(WINAPI*)(OPENFILENAMEA*);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(Function(name)));
    return fn ? fn(ofn) : FALSE;
}
}  // namespace

BOOL Save(OPENFILENAMEA* ofn) { return Show("GetSaveFileNameA", ofn); }
BOOL Open(OPENFILENAMEA* ofn) { return Show("GetOpenFileNameA", ofn); }

DWORD LastError() {
    using Fn = DWORD(WINAPI*)();
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(Function("CommDlgExtendedError")));
    return fn ? fn() : CDERR_INITIALIZATION;
}
}  // namespace filedlg
