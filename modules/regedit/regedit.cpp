// Registry export and import with the Registry Editor: fills a scratch
// subtree of the current user's registry (keys with texts, numbers and
// binary values), then times regedit.exe writing it to a registry file (/E)
// and reading it back (/S) after the subtree was deleted. The restored
// subtree must equal what was written. Everything lives under
// HKCU\Software\Orvane\Travik\zelBrWork, a sibling of ZELBR's own key,
// which this module never touches. The run value is the rounds'
// TypicalTotal (zbmodule.h).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "zbmodule.h"

namespace {

// Measured with scripts/module-bench.sh on the reference machine (the
// development host, 2 processors, the Wine session on one), all six items
// in the same three sessions, so that 10000 means one machine for each:
// the median of the sessions' mean run values, microseconds.
// The x86_64 build runs under Wine's 64-bit loader (hosts that run no
// 32-bit code), which drives the applications at another pace: its own
// reference, from two sessions on such a host (times the workload's
// growth where it grew since).
#ifdef _WIN64
constexpr uint32_t kReference = 8241000;
#else
constexpr uint32_t kReference = 1690600;
#endif

constexpr uint32_t kRounds = 34;
constexpr int kKeys = 200;
constexpr int kValuesPerKey = 8;

const char kWorkKey[] = "Software\\Orvane\\Travik\\zelBrWork";
const char kDataKey[] = "Software\\Orvane\\Travik\\zelBrWork\\Data";

struct Value {
    std::string key, name;
    DWORD type;
    std::string data;
};

// The subtree's content, the same on every run.
std::vector<Value> Content() {
    std::vector<Value> v;
    for (int k = 0; k < kKeys; ++k) {
        char key[64];
        std::snprintf(key, sizeof key, "Group%02d\\Item%03d", k / 8, k);
        for (int i = 0; i < kValuesPerKey; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "Value%d", i);
            Value x{key, name, REG_SZ, ""};
            char buf[128];
            switch (i % 4) {
                case 0:
                    std::snprintf(buf, sizeof buf, "測定用の値 %d-%d ｸﾛﾉﾗﾝ", k, i);
                    x.data.assign(buf, std::strlen(buf) + 1);
                    break;
                case 1: {
                    DWORD d = DWORD(k * 1000 + i);
                    x.type = REG_DWORD;
                    x.data.assign(reinterpret_cast<const char*>(&d), 4);
                    break;
                }
                case 2:
                    x.type = REG_BINARY;
                    for (int b = 0; b < 24; ++b) x.data += char((k * 31 + i * 7 + b) & 0xFF);
                    break;
                default:
                    std::snprintf(buf, sizeof buf, "C:\\Program Files\\Sample %d\\file%d.dat", k,
                                  i);
                    x.data.assign(buf, std::strlen(buf) + 1);
                    break;
            }
            v.push_back(x);
        }
    }
    return v;
}

bool WriteContent(const std::vector<Value>& content) {
    for (const Value& x : content) {
        HKEY k;
        DWORD disp;
        std::string path = std::string(kDataKey) + "\\" + x.key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                            &disp) != ERROR_SUCCESS)
            return false;
        bool ok = RegSetValueExA(k, x.name.c_str(), 0, x.type,
                                 reinterpret_cast<const BYTE*>(x.data.data()),
                                 DWORD(x.data.size())) == ERROR_SUCCESS;
        RegCloseKey(k);
        if (!ok) return false;
    }
    return true;
}

bool ContentThere(const std::vector<Value>& content) {
    for (const Value& x : content) {
        HKEY k;
        std::string path = std::string(kDataKey) + "\\" + x.key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
            return false;
        char buf[256];
        DWORD size = sizeof buf, type = 0;
        bool same = RegQueryValueExA(k, x.name.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS &&
                    type == x.type && std::string(buf, size) == x.data;
        RegCloseKey(k);
        if (!same) return false;
    }
    return true;
}

// A registry file as regedit writes it: "REGEDIT4" (Windows 9x, ANSI) or
// "Windows Registry Editor Version 5.00" (later ones, also in UTF-16).
bool RegistryFile(const std::string& path) {
    std::string bytes;
    if (!zb::ReadFileBytes(path, &bytes)) return false;
    if (bytes.compare(0, 8, "REGEDIT4") == 0) return true;
    const char v5[] = "Windows Registry Editor Version 5.00";
    if (bytes.compare(0, sizeof v5 - 1, v5) == 0) return true;
    if (bytes.size() < 2 + 2 * (sizeof v5 - 1) || bytes.compare(0, 2, "\xFF\xFE") != 0) return false;
    for (size_t i = 0; i + 1 < sizeof v5; ++i)
        if (bytes[2 + 2 * i] != v5[i] || bytes[3 + 2 * i] != 0) return false;
    return true;
}

bool RunRegedit(zb::Run& run, const std::string& regedit, const std::string& args) {
    zb::Process* p = run.Launch("\"" + regedit + "\" " + args, SW_HIDE);
    DWORD code = 0;
    return p && run.WaitExit(*p, zb::kDefaultTimeoutMs, &code);
}

bool Round(zb::Run& run, const std::string& regedit, const std::string& file,
           const std::vector<Value>& content) {
    DeleteFileA(file.c_str());
    // Unquoted: neither the short file name nor the key has a space.
    if (!RunRegedit(run, regedit, "/E " + file + " HKEY_CURRENT_USER\\" + kDataKey))
        return false;
    run.StopClock();  // deleting the subtree is our work, not the editor's
    bool exported = RegistryFile(file);
    bool deleted = zb::DeleteKeyTree(HKEY_CURRENT_USER, kDataKey);
    run.StartClock();
    if (!exported) return run.Fail("regedit /E wrote no registry file");
    if (!deleted) return run.Fail("cannot delete the scratch subtree");
    if (!RunRegedit(run, regedit, "/S " + file)) return false;
    run.StopClock();
    bool restored = ContentThere(content);
    run.StartClock();
    return restored || run.Fail("regedit /S did not restore the subtree");
}

bool Measure(zb::Run& run) {
    std::string regedit = zb::FindProgram("regedit.exe");
    if (regedit.empty()) return run.Fail("regedit.exe not found");
    // Short names: the regedit of Windows 9x takes its file name unquoted.
    regedit = zb::ShortPath(regedit);
    std::vector<Value> content = Content();
    std::string dir = zb::TempDir() + "ZBREG\\";
    std::string file = dir + "ZBWORK.REG";
    zb::DeleteKeyTree(HKEY_CURRENT_USER, kWorkKey);
    bool ok = zb::MakeCleanDir(dir) && WriteContent(content);
    if (!ok) run.Fail("cannot prepare the scratch subtree");
    std::string shortDir = zb::ShortPath(dir);
    if (shortDir.empty() || shortDir.back() != '\\') shortDir += '\\';
    file = shortDir + "ZBWORK.REG";
    // Untimed rounds first: regedit's files are then in the cache (more of
    // them in the first run of a measurement, which meets everything cold).
    for (int i = 0; ok && i < (run.Index() == 0 ? 3 : 1); ++i) ok = Round(run, regedit, file, content);
    ok = ok && run.TimePasses(kRounds, [&](uint32_t) { return Round(run, regedit, file, content); });
    run.EndAll();
    zb::DeleteKeyTree(HKEY_CURRENT_USER, kWorkKey);
    zb::RemoveTree(dir);
    return ok;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return zb::Main(kReference, Measure);
}
