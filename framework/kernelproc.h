// Functions of kernel32 that Windows 95 lacks are looked up at run time,
// never imported; the caller falls back to what Windows 95 has when the
// lookup gives nothing. Tests put a resolver of their own in place to force
// the fallbacks on platforms that do have the functions.
#pragma once
#include <windows.h>

using KernelProc = FARPROC (*)(const char* name);

inline FARPROC KernelFunction(const char* name) {
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    return kernel ? GetProcAddress(kernel, name) : nullptr;
}

namespace kernelproc_detail {
inline KernelProc g_resolver = KernelFunction;
}

// Null puts the platform's lookup back.
inline void SetKernelResolver(KernelProc resolver) {
    kernelproc_detail::g_resolver = resolver ? resolver : KernelFunction;
}

// The function through the resolver in place; null when there is none.
inline FARPROC ResolveKernel(const char* name) { return kernelproc_detail::g_resolver(name); }

template <class Fn>
Fn ResolveKernelAs(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(ResolveKernel(name)));
}

// A library of the system, from the system directory only. A plain
// LoadLibrary looks first in the program's folder, where anyone may drop
// measurement modules: a DLL of the same name there would run in our
// process. Its own imports are looked for beside it, not there either.
// Null when the system has no such library.
inline HMODULE LoadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    UINT n = GetSystemDirectoryA(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    // Only a drive's root ends in a backslash; any other last byte may be
    // the second of a double-byte character that merely looks like one.
    if (!(n == 3 && path[1] == ':')) path[n++] = '\\';
    if (n + lstrlenA(name) >= MAX_PATH) return nullptr;
    lstrcpyA(path + n, name);
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// From here on, libraries asked for by name (by the system's own DLLs too)
// come from the system directory only, never from the program's folder,
// for the same reason. Under Wine it also spares a read of that whole
// folder, every module file in it, for each library loaded. Windows 95 has
// no such setting and keeps its search order.
inline void RestrictLibrarySearch() {
    using SetDirs = BOOL(WINAPI*)(DWORD);
    if (auto set = ResolveKernelAs<SetDirs>("SetDefaultDllDirectories")) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
