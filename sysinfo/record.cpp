#include "sysinfo/record.h"

#include "framework/regkey.h"
#include "framework/winapp.h"
#include "res/resource.h"

namespace sysinfo {

const char* const kFieldNames[kFieldCount] = {"CPU",  "Clock", "L1",   "L2",      "Mem",       "DiskCtrl", "Disk",
                                              "Graphic", "Reso", "Cols", "NetCard", "SoundCard", "Comment"};

namespace {
const char kSystemKey[] = "System";
std::string Undetermined() { return LoadResString(IDS_UNDETERMINED); }
bool SameText(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}
}  // namespace

DiskChoice DefaultDisk(const DeviceLists& lists, char driveLetter) {
    DiskChoice c;
    c.disk = Undetermined();
    for (const DiskEntry& d : lists.disks) {
        c.type = d.deviceType;
        c.scsi = d.scsi;
        if (d.letters.find(driveLetter) != std::string::npos) {
            c.disk = d.description;
            c.type &= 0xFF;
            break;
        }
    }
    return c;
}

std::string DefaultDiskCtrl(const DeviceLists& lists, uint32_t type, bool scsi) {
    if (lists.disks.empty()) return Undetermined();
    if (type != kHardDisk)
        return type == kFloppy && !lists.floppyControllers.empty() ? lists.floppyControllers.front() : Undetermined();
    const std::vector<std::string>& controllers = scsi ? lists.scsiAdapters : lists.hardDiskControllers;
    return controllers.empty() ? Undetermined() : controllers.front();
}

std::string DefaultGraphic(const DeviceLists& lists, const std::string& systemIni) {
    if (lists.display.empty()) return Undetermined();
    std::string graphic;
    for (const std::string& adapter : lists.display) {
        graphic = adapter;
        if (SameText(adapter, systemIni)) return graphic;
    }
    return SameText(systemIni, "miss") ? graphic : systemIni;
}

std::string SystemIniDisplayDriver() {
    char dir[MAX_PATH] = {};
    GetWindowsDirectoryA(dir, sizeof dir);
    std::string path = std::string(dir) + "\\system.ini";
    char text[256] = {};
    GetPrivateProfileStringA("boot.description", "display.drv", "miss", text, sizeof text, path.c_str());
    return text;
}

bool LoadSystemInfo(HKEY root, const DetectedDefaults& detected, const DeviceLists& lists,
                    const std::string& programDir, const std::string& systemIni, SystemInfoRecord* record) {
    RegKey key;
    if (!key.Create(root, kSystemKey)) return false;
    // The disk search also decides the controller when "Disk" is stored.
    DiskChoice disk = DefaultDisk(lists, programDir.empty() ? '\0' : programDir[0]);
    record->diskType = disk.type;
    record->diskScsi = disk.scsi;
    const std::string fallback[kFieldCount] = {
        detected.cpu,
        Undetermined(),
        Undetermined(),
        Undetermined(),
        detected.memory,
        DefaultDiskCtrl(lists, disk.type, disk.scsi),
        disk.disk,
        DefaultGraphic(lists, systemIni),
        detected.resolution,
        detected.colours,
        lists.network.empty() ? Undetermined() : lists.network.front(),
        lists.sound.empty() ? Undetermined() : lists.sound.front(),
        detected.comment,
    };
    for (int i = 0; i < kFieldCount; ++i)
        if (!key.ReadText(kFieldNames[i], &record->text[i])) record->text[i] = fallback[i];
    return true;
}

bool StoreSystemField(HKEY root, const char* name, const std::string& text) {
    RegKey key;
    return key.Create(root, kSystemKey) && key.WriteText(name, text);
}

}  // namespace sysinfo
