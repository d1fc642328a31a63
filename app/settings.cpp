#include "app/settings.h"

#include "framework/regkey.h"

namespace settings {

const char kRootPath[] = "Software\\Orvane\\Travik\\zelBr";
const char kIniKey[] = "Ini\\zelBr";
const char kProductKey[] = "Ini\\Product";

FILETIME Now() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return ft;
}

void ApplyFlag(BYTE flag, Options* options) {
    options->warnClipboard = (flag & kFlagClipboardWarning) != 0;
    options->runNumberMessage = (flag & kFlagRunNumberMessage) != 0;
    options->confirmStart = (flag & kFlagConfirmStart) != 0;
    options->displayMode = (flag & kFlagDisplayMode) ? 1 : 0;
}

bool CreateRootKey(HKEY parent, const char* path, HKEY* root, bool* firstStart) {
    RegKey key;
    bool created = false;
    if (!key.Create(parent, path, &created)) return false;
    key.Flush();
    *firstStart = created;
    *root = key.Release();
    return true;
}

FILETIME ReadFirstTime(HKEY root, const FILETIME& now) {
    RegKey product;
    if (product.Create(root, kProductKey)) {
        FILETIME stored;
        if (product.ReadExact("FirstTime", &stored, sizeof stored)) return stored;
        product.WriteBinary("FirstTime", &now, sizeof now);
    }
    RegKey ini;
    if (ini.Create(root, kIniKey)) ini.WriteBinary("FirstTime", &now, sizeof now);
    return now;
}

Version UpdateVersion(HKEY root, const char* subkey, const Version& exe, const FILETIME& now) {
    RegKey key;
    if (!key.Create(root, subkey)) return exe;
    DWORD stored[2];
    if (key.ReadExact("Version", stored, sizeof stored)) {
        Version v{stored[0], stored[1]};
        if (!(v < exe)) return v;
    }
    DWORD words[2] = {exe.ms, exe.ls};
    key.WriteBinary("Version", words, sizeof words);
    key.WriteBinary("VerUpTime", &now, sizeof now);
    return exe;
}

bool LoadRunCount(HKEY root, int* runCount) {
    RegKey key;
    if (!key.Create(root, kIniKey)) return false;
    // Any other count would start a module millions of times or never.
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(key.get(), "Precision", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof value && value >= 1 && value <= 10) {
        *runCount = static_cast<int>(value);
    } else {
        *runCount = 1;
        key.WriteDword("Precision", 1);
    }
    return true;
}

void ReadFlag(HKEY root, BYTE* flag) {
    RegKey key;
    if (!key.Create(root, kIniKey)) return;
    if (!key.ReadExact("Flag", flag, 1)) {
        *flag = kFlagDefault;
        key.WriteBinary("Flag", flag, 1);
    }
}

void WriteFlag(HKEY root, BYTE flag) {
    RegKey key;
    if (key.Create(root, kIniKey)) key.WriteBinary("Flag", &flag, 1);
}

void ChangeFlagBits(HKEY root, BYTE mask, bool on) {
    BYTE flag = kFlagDefault;
    ReadFlag(root, &flag);
    flag = on ? (flag | mask) : (flag & ~mask);
    WriteFlag(root, flag);
}

bool ReadPosition(HKEY root, PositionRecord* rec) {
    RegKey key;
    return key.Create(root, kIniKey) && key.ReadExact("Position", rec, sizeof *rec);
}

bool WritePosition(HKEY root, const PositionRecord& rec) {
    RegKey key;
    return key.Create(root, kIniKey) && key.WriteBinary("Position", &rec, sizeof rec);
}

POINT PullInside(long long x, long long y, const RECT& work, SIZE window) {
    if (x < work.left)
        x = work.left;
    else if (x + window.cx > work.right)
        x = work.right - window.cx;
    if (y < work.top)
        y = work.top;
    else if (y + window.cy > work.bottom)
        y = work.bottom - window.cy;
    return POINT{static_cast<LONG>(x), static_cast<LONG>(y)};
}

POINT StartPosition(const PositionRecord& rec, const RECT& work, SIZE window) {
    // Wide enough that x + width cannot overflow for any stored x.
    long long x, y;
    bool keepInside = rec.keepInside != 0;
    if (rec.mode == 1) {
        x = rec.exitX;
        y = rec.exitY;
        // A minimised window reports (3000, 3000): never start out there.
        if (x == 3000 && y == 3000) keepInside = true;
    } else {
        x = rec.specX;
        y = rec.specY;
        if (x == work.left && y == work.top) x = work.left + 1;
    }
    if (keepInside) {
        POINT p = PullInside(x, y, work, window);
        if (p.x == work.left && p.y == work.top) p.x = work.left + 1;
        return p;
    }
    return POINT{static_cast<LONG>(x), static_cast<LONG>(y)};
}

PositionRecord ExitRecord(bool haveStored, const PositionRecord& stored, const RECT& window) {
    PositionRecord rec = stored;
    if (!haveStored) {
        rec = PositionRecord{};
        rec.specX = window.left;
        rec.specY = window.top;
    }
    rec.exitX = window.left;
    rec.exitY = window.top;
    return rec;
}

}  // namespace settings
