// What the program finds out about the machine by itself: processor,
// memory, screen and names, and the devices of the hardware enumeration.
// Nothing here writes to the registry.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sysinfo {

struct DetectedDefaults {
    std::string cpu;      // "80386", "80486", "Pentium" or "不明"
    std::string memory;   // physical memory in KB
    std::string resolution;  // "1024*768" or "不明"
    std::string colours;     // "256" or "不明"
    std::string comment;     // computer and user name, CR LF between
};

struct DiskEntry {
    std::string letters;  // "CurrentDriveLetterAssignment"
    uint32_t deviceType = 0;
    bool scsi = false;  // has "SCSITargetID"
    std::string description;
};

// The seven device lists, each in the order the enumeration met them.
struct DeviceLists {
    std::vector<DiskEntry> disks;
    std::vector<std::string> scsiAdapters, sound, display, hardDiskControllers, floppyControllers, network;
};

// Processor type as the platform reports it (386, 486, 586...) to its name.
std::string CpuName(DWORD processorType);
// Bits per pixel of a display: several planes count one bit each, and no
// more than 24 bits count (a 32-bit display shows 16777216 colours).
int ColourBits(int planes, int bitsPerPixel);
std::string CommentText(const char* computer, const char* user);  // null = not known
// Functions newer than Windows 95 are looked up at run time through one
// resolver (dll, name -> entry or null); a test swaps it to take the
// fallbacks. Returns the previous resolver; null restores the real one.
using ProcResolver = FARPROC (*)(const char* dll, const char* name);
ProcResolver SetProcResolver(ProcResolver resolver);
FARPROC ResolveProc(const char* dll, const char* name);

// Physical memory in KB; the extended query where there is one, since the
// old one stops at 2 GB (4 GB for a large-address-aware program). Only
// systems without the extended query (the 9x family, never past 4 GB) get
// the old one.
uint64_t PhysicalMemoryKb();

DetectedDefaults DetectSystemDefaults(HWND window);

// The walk over a hardware enumeration: configEnum lists the devices
// present, each naming its key below enumRoot by "HardWareKey".
DeviceLists WalkHardware(HKEY enumRoot, HKEY configEnum);
// Where the platform keeps no such table (the NT family, Wine): disks from
// the volumes, display adapters from their device class, network cards
// from the adapter list (from their device class where the platform has no
// adapter list), sound from the wave devices. Controllers are not known
// there and stay empty.
DeviceLists DetectPlatformDevices();
// "DriverDesc" of each driver key below an NT device class key
// (Control\Class\{guid}\0000...), each text once, in enumeration order.
// Only the one class is read, however many devices the machine has.
std::vector<std::string> ClassDrivers(HKEY classKey);
bool Empty(const DeviceLists& lists);
// HKEY_LOCAL_MACHINE "Enum" with HKEY_DYN_DATA "Config Manager\Enum"; the
// platform's own queries where those keys do not exist or their walk finds
// no device at all.
DeviceLists DetectHardware();
// Device types of the disk entries: a hard disk, a CD-ROM, a floppy.
constexpr uint32_t kHardDisk = 0, kCdRom = 5, kFloppy = 10;

}  // namespace sysinfo
