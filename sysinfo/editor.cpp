#include "sysinfo/editor.h"

namespace sysinfo {

std::vector<std::string> FieldChoices(Field field, const DetectedDefaults& detected, const DeviceLists& lists) {
    switch (field) {
    case kCpu: return {detected.cpu};
    case kMem: return {detected.memory};
    case kReso: return {detected.resolution};
    case kCols: return {detected.colours};
    case kDiskCtrl: {
        std::vector<std::string> all = lists.scsiAdapters;
        all.insert(all.end(), lists.hardDiskControllers.begin(), lists.hardDiskControllers.end());
        all.insert(all.end(), lists.floppyControllers.begin(), lists.floppyControllers.end());
        return all;
    }
    case kDisk: {
        std::vector<std::string> all;
        for (const DiskEntry& d : lists.disks) all.push_back(d.description);
        return all;
    }
    case kGraphic: return lists.display;
    case kNetCard: return lists.network;
    case kSoundCard: return lists.sound;
    default: return {};
    }
}

UpDownStart UpDownStartFor(DWORD processorType) {
    switch (processorType) {
    case 386: return {33, 0, 0};
    case 486: return {66, 8, 0};
    case 586: return {90, 16, 256};
    default: return {150, 32, 512};
    }
}

std::string FitStoredText(const std::string& text) {
    const size_t kMax = 255;
    if (text.size() <= kMax) return text;
    size_t end = 0;
    while (end < text.size()) {
        size_t next = end + (IsDBCSLeadByte(static_cast<BYTE>(text[end])) ? 2 : 1);
        if (next > kMax) break;
        end = next;
    }
    return text.substr(0, end);
}

int ApplyChangedFields(HKEY root, std::string (&current)[kFieldCount], std::string (&initial)[kFieldCount],
                       SystemInfoRecord* record, const std::function<void(int field)>& shown,
                       const StoreStep& step) {
    std::vector<StoredField> changed;
    for (int i = 0; i < kFieldCount; ++i) {
        if (current[i] == initial[i]) continue;
        current[i] = FitStoredText(current[i]);
        if (current[i] == initial[i]) continue;
        record->text[i] = current[i];
        if (shown) shown(i);
        initial[i] = current[i];
        changed.push_back({i, current[i]});
    }
    // A failed write still leaves the record and the window updated for
    // this run; the stored values come back at the next start.
    StoreSystemFields(root, changed, step);
    return static_cast<int>(changed.size());
}

void KeepUntouched(std::string (&current)[kFieldCount], const std::string (&shownAtStart)[kFieldCount],
                   const std::string (&initial)[kFieldCount]) {
    for (int i = 0; i < kFieldCount; ++i)
        if (current[i] == shownAtStart[i]) current[i] = initial[i];
}

}  // namespace sysinfo
