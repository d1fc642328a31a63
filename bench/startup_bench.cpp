// Start-up time: from process creation to the main window shown, for
// ZELBR.EXE and for Wine's notepad.exe started the same way in the same run,
// the growth of ZELBR's start-up from ten to 1000 catalogue entries, and its
// start-up with 20,000 devices in the device tree the detection reads (the
// NT one Wine has, and a Windows 95 one).
// Usage: startup_bench <program dir> [runs]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../tests/driver/gui_driver.h"

namespace {

const char kRoot[] = "Software\\Orvane\\Travik\\zelBr";
const std::string kMeasure = std::string(kRoot) + "\\Measure";
const std::string kBench = std::string(kRoot) + "\\Bench";

double Seconds(const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

// Milliseconds until a visible top-level window of the class and title shows; -1 on timeout.
double TimeToWindow(const std::string& exe, const char* cls, const char* title, bool closeWithOk) {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    gui::Program p = gui::Start(exe);
    if (!p.ok()) return -1;
    HWND w = nullptr;
    gui::WaitFor([&] { return (w = gui::WaitWindow(p.pid, cls, title, 0)) != nullptr; }, 20000, 1);
    QueryPerformanceCounter(&t1);
    if (!w) return -1;
    if (closeWithOk)
        gui::Click(w, IDOK);
    else
        PostMessageA(w, WM_CLOSE, 0, 0);
    gui::WaitExit(p, 10000);
    return Seconds(t0, t1) * 1000.0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

std::string KeyName(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", n);
    return buf;
}

// A later start, not the first (the first-start notice would wait for a
// user), with the given catalogue entries, each selected.
void PrepareRegistry(const std::vector<std::string>& files) {
    gui::RegDeleteTree(kRoot);
    gui::RegWriteDword(std::string(kRoot) + "\\Ini\\zelBr", "Precision", 1);
    for (size_t i = 0; i < files.size(); ++i) {
        std::string key = kMeasure + "\\" + KeyName(static_cast<int>(i));
        gui::RegWriteString(key, "File", files[i]);
        gui::RegWriteDword(key, "Select", 1);
    }
}

// A valid one-run record, so every entry is rated in full.
void WriteResults(const std::vector<std::string>& files) {
    uint32_t rec[14] = {1, 1000, 1000};
    rec[12] = 1000;
    rec[13] = 1 + 1000 + 1000 + 1000;
    std::vector<uint8_t> bytes(reinterpret_cast<uint8_t*>(rec), reinterpret_cast<uint8_t*>(rec) + sizeof rec);
    for (const std::string& f : files) gui::RegWriteBinary(kBench + "\\" + f.substr(0, f.size() - 4), "Result", bytes);
}

// A program directory with ZELBR.EXE and n empty modules ITEMnnnn.BNC.
std::string MakeItemDir(const std::string& distDir, int n, std::vector<std::string>* files) {
    std::string dir = gui::MakeProgramDir("startup-" + std::to_string(n));
    if (dir.empty() || !gui::CopyInto(dir, distDir + "ZELBR.EXE")) return "";
    files->clear();
    for (int i = 0; i < n; ++i) {
        std::string name = "ITEM" + KeyName(i) + ".BNC";
        HANDLE h = CreateFileA((dir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return "";
        CloseHandle(h);
        files->push_back(name);
    }
    return dir;
}

// Median start-up of the program in dir with n selected, rated entries.
double CatalogueCase(const std::string& distDir, int n, int runs) {
    std::vector<std::string> files;
    std::string dir = MakeItemDir(distDir, n, &files);
    if (dir.empty()) return -1;
    PrepareRegistry(files);
    WriteResults(files);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double t = TimeToWindow(dir + "ZELBR.EXE", "#32770", "ｸﾛﾉﾗﾝ", true);
        if (t < 0) return -1;
        times.push_back(t);
    }
    return Median(times);
}

// The registry reads one pass over the catalogue costs at start-up, from
// this process: the enumeration, the entry's open, "File", "Select" and
// close, then the open, "Result" and close of its record. The growth
// cannot fall below them; their pace is the host's, through wineserver.
double RegistryPassMs() {
    HKEY measure = nullptr, bench = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kMeasure.c_str(), 0, KEY_READ, &measure) != ERROR_SUCCESS) return -1;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kBench.c_str(), 0, KEY_READ, &bench) != ERROR_SUCCESS) {
        RegCloseKey(measure);
        return -1;
    }
    std::vector<double> times;
    for (int round = 0; round < 5; ++round) {
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD len = sizeof name;
            if (RegEnumKeyExA(measure, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            HKEY item;
            if (RegOpenKeyExA(measure, name, 0, KEY_READ, &item) != ERROR_SUCCESS) continue;
            char file[256];
            DWORD size = sizeof file, select = 0, selectSize = sizeof select;
            RegQueryValueExA(item, "File", nullptr, nullptr, reinterpret_cast<BYTE*>(file), &size);
            RegQueryValueExA(item, "Select", nullptr, nullptr, reinterpret_cast<BYTE*>(&select), &selectSize);
            RegCloseKey(item);
            std::string base(file, strnlen(file, sizeof file));
            base = base.substr(0, base.size() > 4 ? base.size() - 4 : 0);
            HKEY rec;
            if (RegOpenKeyExA(bench, base.c_str(), 0, KEY_READ, &rec) != ERROR_SUCCESS) continue;
            uint8_t result[56];
            DWORD resultSize = sizeof result;
            RegQueryValueExA(rec, "Result", nullptr, nullptr, result, &resultSize);
            RegCloseKey(rec);
        }
        QueryPerformanceCounter(&t1);
        times.push_back(Seconds(t0, t1) * 1000.0);
    }
    RegCloseKey(bench);
    RegCloseKey(measure);
    return Median(times);
}

// Keys below a root, created and later removed with all they hold.
HKEY CreateKey(HKEY root, const std::string& path) {
    HKEY k = nullptr;
    RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    return k;
}

void SetText(HKEY k, const char* name, const std::string& value) {
    RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

void DeleteTree(HKEY root, const std::string& path) {
    HKEY k;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    char name[256];
    for (;;) {
        DWORD len = sizeof name;
        if (RegEnumKeyExA(k, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        DeleteTree(k, name);
    }
    RegCloseKey(k);
    RegDeleteKeyA(root, path.c_str());
}

const char kNtBench[] = "System\\CurrentControlSet\\Enum\\ROOT\\ZELBRBENCH";

// n devices of classes the detection does not need (and a few it does), as
// a machine collects them: one NT device key each, below one bus.
void WriteNtDevices(int n) {
    for (int i = 0; i < n; ++i) {
        HKEY k = CreateKey(HKEY_LOCAL_MACHINE, std::string(kNtBench) + "\\" + KeyName(i));
        SetText(k, "Class", i % 1000 == 0 ? "Net" : "HIDClass");
        SetText(k, "DeviceDesc", "Bench device " + std::to_string(i));
        RegCloseKey(k);
    }
}

// The same in a Windows 95 tree, where "Enum" keeps every device the
// machine has known and the live table the ones present now: every
// presentEvery-th.
void WriteWin95Devices(int n, int presentEvery) {
    for (int i = 0; i < n; ++i) {
        std::string path = "ROOT\\BENCH\\" + KeyName(i);
        HKEY k = CreateKey(HKEY_LOCAL_MACHINE, "Enum\\" + path);
        const char* cls = i % 1000 == 0 ? "Net" : i % 1000 == 1 ? "DiskDrive" : "System";
        SetText(k, "Class", cls);
        SetText(k, "DeviceDesc", "Bench device " + std::to_string(i));
        if (i % 1000 == 1) SetText(k, "CurrentDriveLetterAssignment", "C");
        RegCloseKey(k);
        if (i % presentEvery != 0 && i % 1000 > 1) continue;
        k = CreateKey(HKEY_DYN_DATA, "Config Manager\\Enum\\C" + KeyName(i));
        SetText(k, "HardWareKey", path);
        RegCloseKey(k);
    }
}

// presentEvery 0: an NT tree.
double DeviceCase(const std::string& distDir, int runs, int n, int presentEvery) {
    std::vector<std::string> none;
    std::string dir = MakeItemDir(distDir, 0, &none);
    if (dir.empty()) return -1;
    PrepareRegistry(none);
    if (presentEvery)
        WriteWin95Devices(n, presentEvery);
    else
        WriteNtDevices(n);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double t = TimeToWindow(dir + "ZELBR.EXE", "#32770", "ｸﾛﾉﾗﾝ", true);
        if (t < 0) break;
        times.push_back(t);
    }
    DeleteTree(HKEY_LOCAL_MACHINE, kNtBench);
    DeleteTree(HKEY_LOCAL_MACHINE, "Enum");
    DeleteTree(HKEY_DYN_DATA, "Config Manager\\Enum");
    return times.size() == static_cast<size_t>(runs) ? Median(times) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_bench <program dir> [runs]\n");
        return 2;
    }
    std::string dir = argv[1];
    if (dir.back() != '\\') dir += '\\';
    int runs = argc > 2 ? std::atoi(argv[2]) : 9;
    char sys[MAX_PATH];
    GetSystemDirectoryA(sys, sizeof sys);
    std::string notepad = std::string(sys) + "\\notepad.exe";

    // The bundled modules catalogued as a first start leaves them.
    std::vector<std::string> bundled;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "*.BNC").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do bundled.push_back(found.cFileName);
        while (FindNextFileA(h, &found));
        FindClose(h);
    }
    PrepareRegistry(bundled);

    std::vector<double> zelbr, np;
    for (int i = 0; i < runs; ++i) {
        double z = TimeToWindow(dir + "ZELBR.EXE", "#32770", "ｸﾛﾉﾗﾝ", true);
        double n = TimeToWindow(notepad, "Notepad", nullptr, false);
        if (z < 0 || n < 0) {
            std::fprintf(stderr, "run %d: a window did not appear\n", i);
            return 1;
        }
        zelbr.push_back(z);
        np.push_back(n);
    }
    double mz = Median(zelbr), mn = Median(np);
    std::printf("start-up to main window, median of %d runs (%zu bundled items)\n", runs, bundled.size());
    std::printf("  ZELBR.EXE    %8.1f ms\n", mz);
    std::printf("  notepad.exe  %8.1f ms\n", mn);
    std::printf("  ratio        %8.2f\n", mn > 0 ? mz / mn : 0.0);

    double ten = CatalogueCase(dir, 10, runs);
    double thousand = CatalogueCase(dir, 1000, runs);
    double pass = RegistryPassMs();
    gui::RegDeleteTree(kRoot);
    if (ten < 0 || thousand < 0) {
        std::fprintf(stderr, "catalogue case: the window did not appear\n");
        return 1;
    }
    std::printf("start-up with selected, rated catalogue entries, median of %d runs\n", runs);
    std::printf("  10 entries   %8.1f ms\n", ten);
    std::printf("  1000 entries %8.1f ms\n", thousand);
    std::printf("  growth       %8.1f ms\n", thousand - ten);
    std::printf("  of which at least, the 8 registry reads an entry costs (1000 entries, from here) %.1f ms\n", pass);

    const int kDevices = 20000;
    double ntNone = DeviceCase(dir, runs, 0, 0);
    double ntMany = DeviceCase(dir, runs, kDevices, 0);
    double win95Few = DeviceCase(dir, runs, 40, 1);
    double win95Known = DeviceCase(dir, runs, kDevices, 1000);
    double win95Many = DeviceCase(dir, runs, kDevices, 1);
    gui::RegDeleteTree(kRoot);
    if (ntNone < 0 || ntMany < 0 || win95Few < 0 || win95Known < 0 || win95Many < 0) {
        std::fprintf(stderr, "device case: the window did not appear\n");
        return 1;
    }
    std::printf("start-up with devices in the tree the detection reads, median of %d runs\n", runs);
    std::printf("  NT tree as Wine has it                           %8.1f ms\n", ntNone);
    std::printf("  NT tree + %d devices                          %8.1f ms\n", kDevices, ntMany);
    std::printf("  Windows 95 tree, 40 devices, all present         %8.1f ms\n", win95Few);
    std::printf("  Windows 95 tree, %d devices, 40 present       %8.1f ms\n", kDevices, win95Known);
    std::printf("  Windows 95 tree, %d devices, all present      %8.1f ms\n", kDevices, win95Many);
    return 0;
}
