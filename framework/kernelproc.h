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
