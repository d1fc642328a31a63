// Start-up time: from process creation to the main window shown, for
// ZELBR.EXE and for Wine's notepad.exe started the same way in the same run,
// and the growth of ZELBR's start-up from ten to 1000 catalogue entries.
// Usage: startup_bench <program dir> [runs]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
    gui::RegDeleteTree(kRoot);
    if (ten < 0 || thousand < 0) {
        std::fprintf(stderr, "catalogue case: the window did not appear\n");
        return 1;
    }
    std::printf("start-up with selected, rated catalogue entries, median of %d runs\n", runs);
    std::printf("  10 entries   %8.1f ms\n", ten);
    std::printf("  1000 entries %8.1f ms\n", thousand);
    std::printf("  growth       %8.1f ms\n", thousand - ten);
    return 0;
}
