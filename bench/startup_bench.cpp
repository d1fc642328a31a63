// Start-up time: from process creation to the main window shown, for
// ZELBR.EXE and for Wine's notepad.exe started the same way in the same run.
// Usage: startup_bench <program dir> [runs]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/driver/gui_driver.h"

namespace {

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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_bench <program dir> [runs]\n");
        return 2;
    }
    std::string dir = argv[1];
    if (dir.back() != '\\') dir += '\\';
    int runs = argc > 2 ? std::atoi(argv[2]) : 9;
    // A later start, not the first: the first-start notice would wait for a user.
    gui::RegWriteDword("Software\\Orvane\\Travik\\zelBr\\Ini\\zelBr", "Precision", 1);
    char sys[MAX_PATH];
    GetSystemDirectoryA(sys, sizeof sys);
    std::string notepad = std::string(sys) + "\\notepad.exe";

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
    std::printf("start-up to main window, median of %d runs\n", runs);
    std::printf("  ZELBR.EXE    %8.1f ms\n", mz);
    std::printf("  notepad.exe  %8.1f ms\n", mn);
    std::printf("  ratio        %8.2f\n", mn > 0 ? mz / mn : 0.0);
    return 0;
}
