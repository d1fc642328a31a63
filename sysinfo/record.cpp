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
    RecoverSystemFields(root);
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

const char kJournalKey[] = "SystemJournal";

namespace {

const char kCommitValue[] = "Commit";

// The journal's fields into "System"; false when one could not be written.
bool CopyJournal(HKEY root, const RegKey& journal, const StoreStep& step, int* steps) {
    RegKey system;
    if (!system.Create(root, kSystemKey)) return false;
    for (const char* name : kFieldNames) {
        std::string text;
        if (!journal.ReadText(name, &text)) continue;
        if (step && !step((*steps)++)) return false;
        if (!system.WriteText(name, text)) return false;
    }
    system.Flush();
    return true;
}

bool Marked(const RegKey& journal) {
    DWORD mark = 0;
    return journal.ReadDword(kCommitValue, &mark) && mark == 1;
}

// Clears the mark, then removes the journal.
void DropJournal(HKEY root, RegKey* journal) {
    journal->DeleteValue(kCommitValue);
    journal->Close();
    DeleteKeyTree(root, kJournalKey);
}

}  // namespace

void RecoverSystemFields(HKEY root) {
    RegKey journal;
    if (!journal.Open(root, kJournalKey, KEY_ALL_ACCESS)) return;
    int steps = 0;
    if (Marked(journal) && !CopyJournal(root, journal, nullptr, &steps)) return;  // kept for the next try
    DropJournal(root, &journal);
}

bool StoreSystemFields(HKEY root, const std::vector<StoredField>& fields, const StoreStep& step) {
    if (fields.empty()) return true;
    // A marked journal left behind goes in first, so that it cannot later
    // overwrite these newer fields; an unmarked one is dropped.
    RecoverSystemFields(root);
    RegKey journal;
    if (journal.Open(root, kJournalKey, KEY_READ)) return false;  // "System" or the journal cannot be written
    int steps = 0;
    auto go = [&] { return !step || step(steps++); };
    // One value write is whole by itself.
    if (fields.size() == 1) return !go() || StoreSystemField(root, kFieldNames[fields[0].field], fields[0].text);
    if (!go()) return true;
    if (!journal.Create(root, kJournalKey)) {
        // No journal: each field on its own, which is what can be done.
        bool ok = true;
        for (const StoredField& f : fields) {
            if (!go()) return false;
            ok = StoreSystemField(root, kFieldNames[f.field], f.text) && ok;
        }
        return ok;
    }
    for (const StoredField& f : fields) {
        if (!go()) return true;
        if (!journal.WriteText(kFieldNames[f.field], f.text)) {
            DropJournal(root, &journal);
            return false;  // nothing of the set is stored
        }
    }
    journal.Flush();
    if (!go()) return true;
    if (!journal.WriteDword(kCommitValue, 1)) {
        DropJournal(root, &journal);
        return false;
    }
    journal.Flush();
    // From here on the set counts: a cut copy is finished at the next start.
    if (!CopyJournal(root, journal, step, &steps)) return false;
    if (!go()) return true;
    DropJournal(root, &journal);
    return true;
}

}  // namespace sysinfo
