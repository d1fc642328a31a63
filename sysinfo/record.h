// The system information record under "System": thirteen texts, each the
// stored value or, where the user never stored one, what detection found.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sysinfo/detect.h"

namespace sysinfo {

constexpr int kFieldCount = 13;
// Value names in record order, the order of the main window's statics.
extern const char* const kFieldNames[kFieldCount];
enum Field { kCpu, kClock, kL1, kL2, kMem, kDiskCtrl, kDisk, kGraphic, kReso, kCols, kNetCard, kSoundCard, kComment };

struct SystemInfoRecord {
    std::string text[kFieldCount];
    uint32_t diskType = 0;  // low byte of the chosen disk's device type
    bool diskScsi = false;
};

// The disk the program runs from: the first entry whose letters hold the
// program directory's drive letter; "?" when none does (type and SCSI flag
// are then the last entry's).
struct DiskChoice {
    std::string disk;
    uint32_t type = 0;
    bool scsi = false;
};
DiskChoice DefaultDisk(const DeviceLists& lists, char driveLetter);
std::string DefaultDiskCtrl(const DeviceLists& lists, uint32_t type, bool scsi);
// systemIni is the "display.drv" text of system.ini, "miss" without one.
std::string DefaultGraphic(const DeviceLists& lists, const std::string& systemIni);
// [boot.description] display.drv of the Windows directory's system.ini.
std::string SystemIniDisplayDriver();

// Reads "System"; missing values get their defaults. Writes nothing but
// the end of a store that was cut short (RecoverSystemFields). False,
// record untouched, when "System" cannot be opened.
bool LoadSystemInfo(HKEY root, const DetectedDefaults& detected, const DeviceLists& lists,
                    const std::string& programDir, const std::string& systemIni, SystemInfoRecord* record);
bool StoreSystemField(HKEY root, const char* name, const std::string& text);

// Fields applied together are stored as one unit: all new or all old after
// a crash at any point. They are written under the sibling key
// "SystemJournal" first; its value "Commit" = 1 then makes the set count;
// then they are copied into "System" and the journal is removed. Windows 95
// has no registry transactions, but one value write is whole.
extern const char kJournalKey[];
struct StoredField {
    int field;
    std::string text;
};
// step(n) is asked before the n-th registry change (from 0) and may stop
// the store there, as a crash would; null in the program. False when a
// write failed (what was stored stays consistent all the same).
using StoreStep = std::function<bool(int step)>;
bool StoreSystemFields(HKEY root, const std::vector<StoredField>& fields, const StoreStep& step = nullptr);
// A journal with its mark is copied into "System" (again, if need be); one
// without it never counted and is dropped.
void RecoverSystemFields(HKEY root);

}  // namespace sysinfo
