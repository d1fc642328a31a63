// Time of one full repaint of the main window (its face, panels and every
// widget), in both display modes, with six measured items on the window.
// The repaint is asked for from this process, so each figure also holds the
// round trips of the paint messages between the processes; that share is
// measured apart and printed too.
// Usage: repaint_bench <program dir> [repaints]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/driver/gui_driver.h"

namespace {

const char kRoot[] = "Software\\Orvane\\Travik\\zelBr";
const char* const kItems[] = {"BATCH", "FILECOPY", "GDIDRAW", "NOTEPAD", "REGEDIT", "WORDPAD"};

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

void Sync(HWND w) {
    DWORD_PTR r;
    SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
}

int CountWindows(HWND main) {
    int n = 1;
    for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++n;
    return n;
}

void Report(const char* what, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%-34s median %6.2f ms   p90 %6.2f ms   min %6.2f ms\n", what, v[v.size() / 2],
                v[v.size() * 9 / 10], v.front());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: repaint_bench <program dir> [repaints]\n");
        return 2;
    }
    std::string dist = argv[1];
    if (dist.back() != '\\') dist += '\\';
    const int repaints = argc > 2 ? std::atoi(argv[2]) : 200;
    std::string dir = gui::MakeProgramDir("repaint-bench");
    if (dir.empty() || !gui::CopyInto(dir, dist + "ZELBR.EXE")) return 1;
    for (const char* item : kItems) {
        gui::CopyInto(dir, dist + item + ".BNC");
        gui::CopyInto(dir, dist + item + ".MCR");
    }
    for (int mode = 1; mode >= 0; --mode) {
        gui::RegDeleteTree(kRoot);
        gui::RegWriteDword(std::string(kRoot) + "\\Ini\\zelBr", "Precision", 1);
        gui::RegWriteBinary(std::string(kRoot) + "\\Ini\\zelBr", "Flag", {uint8_t(mode ? 0x0F : 0x07)});
        for (int i = 0; i < 6; ++i) {
            char key[128];
            std::snprintf(key, sizeof key, "%s\\Measure\\%04d", kRoot, i);
            gui::RegWriteString(key, "File", std::string(kItems[i]) + ".BNC");
            gui::RegWriteDword(key, "Select", 1);
            // One run at 1.2 times the reference: 12000 points.
            uint32_t rec[14] = {1, 1000, 1200};
            rec[12] = 1000;
            rec[13] = 1 + 1000 + 1200 + 1000;
            gui::RegWriteBinary(std::string(kRoot) + "\\Bench\\" + kItems[i], "Result",
                                std::vector<uint8_t>(reinterpret_cast<uint8_t*>(rec),
                                                     reinterpret_cast<uint8_t*>(rec) + sizeof rec));
        }
        gui::Program p = gui::Start(dir + "ZELBR.EXE");
        HWND main = gui::WaitWindow(p.pid, "#32770", "ｸﾛﾉﾗﾝ", 20000);
        if (!main) {
            std::fprintf(stderr, "the main window did not appear\n");
            return 1;
        }
        WaitForInputIdle(p.process, 5000);
        Sync(main);
        int windows = CountWindows(main);
        std::vector<double> full, trips;
        for (int i = 0; i < repaints; ++i) {
            double t0 = Now();
            RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            Sync(main);
            full.push_back(Now() - t0);
            // The same number of plain round trips, for the share of the
            // messages themselves.
            t0 = Now();
            for (int k = 0; k < windows; ++k) Sync(main);
            trips.push_back(Now() - t0);
        }
        char what[64];
        std::snprintf(what, sizeof what, "display mode %d, full repaint", mode);
        Report(what, full);
        std::snprintf(what, sizeof what, "  of which %d round trips", windows);
        Report(what, trips);
        gui::Click(main, IDOK);
        gui::WaitExit(p, 10000);
    }
    gui::RegDeleteTree(kRoot);
    return 0;
}
