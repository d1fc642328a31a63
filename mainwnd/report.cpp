#include "mainwnd/report.h"

#include <cstdio>

#include "framework/kernelproc.h"
#include "framework/regkey.h"
#include "framework/winapp.h"
#include "items/catalogue.h"
#include "res/resource.h"
#include "run/scores.h"

namespace report {
namespace {
const char kLineEnd[] = "\r\n";
std::string Caption(UINT id) { return LoadResString(id); }

// Up to the last separator, stepping over double-byte characters: a second
// byte may be a backslash.
std::string DirectoryOf(const std::string& path) {
    size_t end = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsDBCSLeadByte(c)) {
            ++i;
        } else if (c == '\\' || c == '/' || c == ':') {
            end = i + 1;
        }
    }
    return end ? path.substr(0, end) : std::string(".\\");
}

// A new empty file of its own name in dir; "" when none can be made there.
std::string FreshName(const std::string& dir) {
    char name[MAX_PATH];
    if (!GetTempFileNameA(dir.c_str(), "zb", 0, name)) return std::string();
    return name;
}

bool WriteAll(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size() && FlushFileBuffers(f);
    return CloseHandle(f) && ok;
}

using MoveFileExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
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

bool ReplaceFileBytes(const std::string& path, const std::string& bytes,
                      const std::function<bool(int step)>& afterStep) {
    auto done = [&](int step) { return !afterStep || afterStep(step); };
    const std::string dir = DirectoryOf(path);
    const std::string fresh = FreshName(dir);
    if (fresh.empty()) return false;
    if (!WriteAll(fresh, bytes)) {
        DeleteFileA(fresh.c_str());
        return false;
    }
    if (!done(kTempWritten)) return false;
    // One rename where the platform has it: the name always holds a whole file.
    if (auto moveEx = ResolveKernelAs<MoveFileExFn>("MoveFileExA")) {
        if (moveEx(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            done(kNewInPlace);
            return true;
        }
        if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
            DeleteFileA(fresh.c_str());
            return false;
        }
    }
    // Windows 95: the old file steps aside under a name of its own, the new
    // one takes its place, then the old one goes. Between the two moves the
    // name is empty, but both files are whole beside it.
    std::string aside;
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        aside = FreshName(dir);
        if (aside.empty() || !DeleteFileA(aside.c_str()) || !MoveFileA(path.c_str(), aside.c_str())) {
            if (!aside.empty()) DeleteFileA(aside.c_str());
            DeleteFileA(fresh.c_str());
            return false;
        }
        if (!done(kOldMovedAside)) return false;
    }
    if (!MoveFileA(fresh.c_str(), path.c_str())) {
        if (!aside.empty()) MoveFileA(aside.c_str(), path.c_str());
        DeleteFileA(fresh.c_str());
        return false;
    }
    if (!done(kNewInPlace)) return false;
    if (!aside.empty()) DeleteFileA(aside.c_str());
    return true;
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
