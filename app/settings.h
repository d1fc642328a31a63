// The program's settings in the registry: root key, first start, versions,
// run count, option byte and start-up position. Functions take the open
// root key so that tests can run them under a scratch key.
#pragma once
#include <windows.h>

#include <cstdint>

namespace settings {

extern const char kRootPath[];    // under HKEY_CURRENT_USER
extern const char kIniKey[];      // program settings and run hand-over values
extern const char kProductKey[];  // product-wide first start and version

// Option bits of "Flag".
enum : BYTE {
    kFlagClipboardWarning = 0x01,
    kFlagRunNumberMessage = 0x02,
    kFlagConfirmStart = 0x04,
    kFlagDisplayMode = 0x08,
    kFlagDefault = 0x07,
};

// Two 32-bit words, most significant first, compared as an unsigned pair.
struct Version {
    DWORD ms = 0;
    DWORD ls = 0;
    int major() const { return HIWORD(ms); }
    int minor() const { return LOWORD(ms); }
};
inline bool operator<(const Version& a, const Version& b) {
    return a.ms != b.ms ? a.ms < b.ms : a.ls < b.ls;
}
inline bool operator==(const Version& a, const Version& b) { return a.ms == b.ms && a.ls == b.ls; }

// What the program loaded from "Precision" and "Flag" at start and the
// settings dialogs change: held once by the main window, handed by reference
// to whoever reads or edits it.
struct Options {
    int runCount = 1;  // 1 simple, 10 precise
    bool warnClipboard = true;
    bool runNumberMessage = true;
    bool confirmStart = true;
    int displayMode = 0;  // 0 normal, 1 system information shown too
};
// The option bits of a "Flag" byte into options (run count untouched).
void ApplyFlag(BYTE flag, Options* options);

// Create or open the root; *firstStart is set when the key is new.
bool CreateRootKey(HKEY parent, const char* path, HKEY* root, bool* firstStart);

// Records the first start once per account; returns the first-start time
// (the stored one, or now when it had to be written).
FILETIME ReadFirstTime(HKEY root, const FILETIME& now);

// One version pass over subkey: the newer of stored and exe wins; writing
// happens only when exe's is newer (or nothing valid is stored).
Version UpdateVersion(HKEY root, const char* subkey, const Version& exe, const FILETIME& now);

// Run count from "Precision": a REG_DWORD of 1 to 10; anything else is 1,
// written back. False when the settings key cannot be opened.
bool LoadRunCount(HKEY root, int* runCount);

// "Flag" byte; missing or malformed reads as 7 and is written back. On a
// key that cannot be opened *flag is left unchanged.
void ReadFlag(HKEY root, BYTE* flag);
void WriteFlag(HKEY root, BYTE flag);
// Read, set or clear the given bits, keep the rest, write.
void ChangeFlagBits(HKEY root, BYTE mask, bool on);

// The 24-byte "Position" record.
struct PositionRecord {
    int32_t mode = 0;  // 0 centre, 1 at last exit, 2 specified
    int32_t exitX = 0, exitY = 0;
    int32_t specX = 0, specY = 0;
    int32_t keepInside = 0;
};
static_assert(sizeof(PositionRecord) == 24, "Position is 24 bytes on disk");

bool ReadPosition(HKEY root, PositionRecord* rec);
bool WritePosition(HKEY root, const PositionRecord& rec);

// (x, y) pulled into the work area for a window of that size: to the left
// (top) edge when before it, else back from the right (bottom) edge. Wide
// arithmetic, so that x + width cannot overflow for any stored x.
POINT PullInside(long long x, long long y, const RECT& work, SIZE window);

// Where the window goes at start for a valid record with mode 1 or 2.
POINT StartPosition(const PositionRecord& rec, const RECT& work, SIZE window);

// The record written at exit: exit fields from the window, the rest as read
// (or the documented start record when none was valid).
PositionRecord ExitRecord(bool haveStored, const PositionRecord& stored, const RECT& window);

FILETIME Now();

}  // namespace settings
