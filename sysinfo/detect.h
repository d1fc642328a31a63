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
// Physical memory in KB; the extended query where there is one, since the
// old one stops at 2 GB.
uint64_t PhysicalMemoryKb();

DetectedDefaults DetectSystemDefaults(HWND window);

// The walk over a hardware enumeration: configEnum lists the devices
// present, each naming its key below enumRoot by "HardWareKey".
DeviceLists WalkHardware(HKEY enumRoot, HKEY configEnum);
// Where the platform keeps no such table (the NT family, Wine): disks from
// the volumes, display adapters from the display devices, network cards
// from the adapter list, sound from the wave devices. Controllers are not
// known there and stay empty.
DeviceLists DetectPlatformDevices();
// Descriptions of the devices of one class in an NT device tree
// (bus\device\instance), each once, in enumeration order.
std::vector<std::string> DevicesOfClass(HKEY ntEnum, const char* cls);
// HKEY_LOCAL_MACHINE "Enum" with HKEY_DYN_DATA "Config Manager\Enum", or the
// platform's own queries where those keys do not exist.
DeviceLists DetectHardware();
// Device types of the disk entries: a hard disk, a CD-ROM, a floppy.
constexpr uint32_t kHardDisk = 0, kCdRom = 5, kFloppy = 10;

}  // namespace sysinfo
