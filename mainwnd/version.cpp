#include "mainwnd/version.h"

#include <cstdio>

VersionRead ReadExeVersion(const char* path, settings::Version* file, settings::Version* product) {
    *file = settings::Version{};
    *product = settings::Version{};
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return VersionRead::kMissing;
    HLOCAL block = LocalAlloc(LMEM_FIXED, size);
    if (!block) return VersionRead::kNoMemory;
    VersionRead result = VersionRead::kMissing;
    if (GetFileVersionInfoA(path, 0, size, block)) {
        VS_FIXEDFILEINFO* info = nullptr;
        UINT len = 0;
        if (VerQueryValueA(block, "\\", reinterpret_cast<void**>(&info), &len) && info && len) {
            *file = settings::Version{info->dwFileVersionMS, info->dwFileVersionLS};
            *product = settings::Version{info->dwProductVersionMS, info->dwProductVersionLS};
            result = VersionRead::kOk;
        }
    }
    LocalFree(block);
    return result;
}

std::string FormatAboutVersion(const settings::Version& v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "ZELBR ﾊﾞｰｼﾞｮﾝ %d.%02d", v.major(), v.minor());
    return buf;
}
