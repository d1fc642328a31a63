#include "mainwnd/report.h"

#include <cstdio>

#include "framework/regkey.h"
#include "framework/winapp.h"
#include "items/catalogue.h"
#include "res/resource.h"
#include "run/scores.h"

namespace report {
namespace {
const char kLineEnd[] = "\r\n";
std::string Caption(UINT id) { return LoadResString(id); }
}  // namespace

std::string ResultText(int score) {
    if (score == run::kNoScore) return "未測定";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d\t点", score);
    return buf;
}

std::string ResultsSection(HKEY root, const std::string& programDir, const settings::Version& fileVersion,
                           uint32_t runCount, const std::function<void(const std::string&)>& onMissing) {
    std::string out = std::string("測定結果") + kLineEnd;
    // The item walk below reports missing modules; the overall score stays quiet.
    int overall = run::OverallScore(root, programDir, runCount, [](const std::string&) {});
    out += Caption(IDS_ALLITEMS) + items::VersionText(fileVersion.ms) + "\t" + ResultText(overall) + kLineEnd;
    RegKey measure;
    if (!measure.Create(root, items::kMeasureKey)) return out;
    for (const std::string& name : SubkeyNames(measure.get())) {
        RegKey entry;
        if (!entry.Open(measure.get(), name.c_str())) continue;
        std::string file;
        if (!entry.ReadText("File", &file)) continue;
        if (!items::IsPlainFileName(file) || !items::FileExists(programDir + file)) {
            if (onMissing) onMissing(file);
            continue;
        }
        DWORD select = 0;
        if (!entry.ReadDword("Select", &select) || select != 1) continue;
        const std::string description = items::WithExtension(file, "MCR");
        std::string itemName, versionText;
        items::GetItemName(programDir + description, &itemName, &versionText);
        out += itemName + versionText + "\t" +
               ResultText(run::ItemScore(root, description, runCount, nullptr)) + kLineEnd;
    }
    return out;
}

std::string SystemSection(const sysinfo::SystemInfoRecord& info) {
    using namespace sysinfo;
    auto field = [&](UINT caption, int f, UINT unit = 0) {
        std::string line = Caption(caption) + "\t" + info.text[f];
        if (unit) line += " " + Caption(unit);
        return line + kLineEnd;
    };
    std::string out = Caption(IDS_CAP_SYSINFO) + kLineEnd;
    out += field(IDS_CAP_CPU, kCpu);
    out += field(IDS_CAP_CLOCK, kClock, IDS_CAP_MHZ);
    out += field(IDS_CAP_L1CACHE, kL1, IDS_CAP_KB);
    out += field(IDS_CAP_L2CACHE, kL2, IDS_CAP_KB);
    out += field(IDS_CAP_MEMORY, kMem, IDS_CAP_KB);
    out += field(IDS_CAP_DISKCTRL, kDiskCtrl);
    out += field(IDS_CAP_DISK, kDisk);
    out += field(IDS_CAP_GRAPHICS, kGraphic);
    out += field(IDS_CAP_RESOLUTION, kReso);
    out += field(IDS_CAP_COLOURS, kCols);
    out += field(IDS_CAP_NETWORK, kNetCard);
    out += field(IDS_CAP_SOUND, kSoundCard);
    out += Caption(IDS_CAP_COMMENT) + kLineEnd;
    out += info.text[kComment] + kLineEnd;
    return out + kLineEnd;
}

std::string BuildReport(HKEY root, const std::string& programDir, int displayMode,
                        const sysinfo::SystemInfoRecord& info, const settings::Version& fileVersion,
                        uint32_t runCount, const std::function<void(const std::string&)>& onMissing) {
    std::string out;
    if (displayMode == 1) out += SystemSection(info);
    out += ResultsSection(root, programDir, fileVersion, runCount, onMissing);
    return out + kLineEnd;
}

}  // namespace report
