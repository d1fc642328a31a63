// Time of one full repaint of the main window (its face, panels and every
// widget), in both display modes, with six measured items on the window.
// The repaints are timed inside the program by the driver's hook DLL; the
// same repaint asked for from this process, with the paint messages going
// between the processes, is printed for comparison, and so is the floor the
// platform sets: a window of as many plain static controls, repainted here.
// Then one control of each kind alone, against one plain static, to show
// where the time goes.
// Usage: repaint_bench <program dir> [repaints]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/driver/gui_driver.h"
#include "../tests/driver/menu_hook.h"

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

// The hook DLL is built with the GUI tests, beside them.
TimeRemoteRepaintFn LoadRepaintTimer() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p = path;
    p = p.substr(0, p.find_last_of('\\'));
    p = p.substr(0, p.find_last_of('\\')) + "\\tests\\" GUI_MENUHOOK_DLL;
    HMODULE dll = LoadLibraryA(p.c_str());
    return dll ? reinterpret_cast<TimeRemoteRepaintFn>(GetProcAddress(dll, GUI_MENUHOOK_REPAINT)) : nullptr;
}

void Report(const char* what, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%-34s median %6.2f ms   p90 %6.2f ms   min %6.2f ms\n", what, v[v.size() / 2],
                v[v.size() * 9 / 10], v.front());
}

// Where the time of a full repaint goes: one control of each kind repainted
// alone inside the program, against one plain static.
void ReportEach(TimeRemoteRepaintFn timeRepaints, HWND main, int mode, int repaints) {
    struct Kind {
        const char* what;
        int id;
        bool mode1Only;
    };
    const Kind kinds[] = {
        {"tool button", 1021, false},   {"item button", 1008, false},  {"score display", 1044, false},
        {"level display", 1055, false}, {"text panel", 1074, true},   {"logo", 1144, true},
    };
    for (const Kind& k : kinds) {
        if (k.mode1Only && mode == 0) continue;
        std::vector<double> v(repaints);
        int n = timeRepaints(GetDlgItem(main, k.id), repaints, v.data());
        if (n <= 0) continue;
        v.resize(n);
        std::sort(v.begin(), v.end());
        std::printf("    one %-14s median %6.3f ms   min %6.3f ms\n", k.what, v[v.size() / 2], v.front());
    }
}

// Controls that can be seen: in the client area, not parked outside it.
int CountWindows(HWND main) {
    RECT client, r, both;
    GetClientRect(main, &client);
    int n = 0;
    for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        if (IsWindowVisible(c) && IntersectRect(&both, &r, &client)) ++n;
    }
    return n;
}

// The same number of plain static controls in a window of the same size,
// repainted in this process: what the window system alone costs.
std::vector<double> PlainWindowRepaints(int controls, SIZE size, int repaints, std::vector<double>* one = nullptr) {
    HWND w = CreateWindowExA(0, "#32770", "plain", WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0, size.cx, size.cy,
                             nullptr, nullptr, nullptr, nullptr);
    for (int i = 0; i < controls; ++i)
        CreateWindowExA(0, "STATIC", "12345", WS_CHILD | WS_VISIBLE, (i % 8) * (size.cx / 8), (i / 8) * 35,
                        size.cx / 8 - 4, 31, w, reinterpret_cast<HMENU>(INT_PTR(100 + i)), nullptr, nullptr);
    MSG m;
    for (int k = 0; k < 20; ++k) {
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        Sleep(10);
    }
    std::vector<double> v;
    for (int i = 0; i < repaints; ++i) {
        double t0 = Now();
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        v.push_back(Now() - t0);
    }
    if (one) {
        HWND child = GetDlgItem(w, 100);
        for (int i = 0; i < repaints; ++i) {
            double t0 = Now();
            RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            one->push_back(Now() - t0);
        }
    }
    DestroyWindow(w);
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: repaint_bench <program dir> [repaints]\n");
        return 2;
    }
    std::string dist = argv[1];
    if (dist.back() != '\\') dist += '\\';
    const int repaints = std::min(argc > 2 ? std::atoi(argv[2]) : 200, int(kHookRepaintMax));
    TimeRemoteRepaintFn timeRepaints = LoadRepaintTimer();
    if (!timeRepaints) {
        std::fprintf(stderr, "cannot load %s\n", GUI_MENUHOOK_DLL);
        return 1;
    }
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
            // One run taking 1.2 times the reference: 8333 points.
            uint32_t rec[14] = {1, 1000, 1200};
            rec[12] = 1200;
            rec[13] = 1 + 1000 + 1200 + 1200;
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
        std::vector<double> inside(repaints), across;
        int n = timeRepaints(main, repaints, inside.data());
        if (n <= 0) {
            std::fprintf(stderr, "the repaints could not be timed inside the program\n");
            return 1;
        }
        inside.resize(n);
        for (int i = 0; i < repaints; ++i) {
            double t0 = Now();
            RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            Sync(main);
            across.push_back(Now() - t0);
        }
        char what[64];
        std::snprintf(what, sizeof what, "display mode %d, full repaint", mode);
        Report(what, inside);
        Report("  asked for from another process", across);
        RECT client;
        GetClientRect(main, &client);
        int controls = CountWindows(main);
        std::snprintf(what, sizeof what, "  %d plain statics, same size", controls);
        std::vector<double> one;
        Report(what, PlainWindowRepaints(controls, SIZE{client.right, client.bottom}, repaints, &one));
        ReportEach(timeRepaints, main, mode, repaints);
        std::sort(one.begin(), one.end());
        std::printf("    one %-14s median %6.3f ms   min %6.3f ms\n", "plain static", one[one.size() / 2],
                    one.front());
        gui::Click(main, IDOK);
        gui::WaitExit(p, 10000);
    }
    gui::RegDeleteTree(kRoot);
    return 0;
}
