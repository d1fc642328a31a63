// Runs measurement modules the way ZELBR's precise measurement does, without
// its window: ten launches of each module with "Count" 0..9, each awaited by
// its end message, then prints the run values from the module's record with
// their mean, coefficient of variation, the mean of the last five runs
// against the first five, and the score against its reference; and the same
// figures for a fixed loop of arithmetic timed before every run, which show
// how steady the host itself was meanwhile.
// Usage: module_bench <program dir> [-v] [-i] [-p FILE] [NAME ...]
// (default: every *.BNC there; -v also prints each run's pass times; -i
// interleaves the modules run by run, to compare two builds of one under the
// same load; -p reads host_probe's count from FILE around every run and
// prints the runs with the host's speed during each taken out)
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "zbmodule.h"

namespace {

constexpr DWORD kRunTimeoutMs = 120000;

std::vector<WPARAM> g_ends;

LRESULT CALLBACK EndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == zb::kEndMessage) {
        g_ends.push_back(wp);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

bool WriteDword(HKEY key, const char* name, DWORD v) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
           ERROR_SUCCESS;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// One launch; "" when it completed, else what went wrong.
std::string RunOnce(const std::string& path, HWND window, HKEY handover, DWORD count) {
    if (!WriteDword(handover, "Count", count) ||
        !WriteDword(handover, "hWnd", DWORD(uintptr_t(window))) ||
        !WriteDword(handover, "Suspension", 0))
        return "cannot write the hand-over values";
    RegFlushKey(handover);
    g_ends.clear();
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &si,
                        &pi))
        return "cannot start it (error " + std::to_string(GetLastError()) + ")";
    CloseHandle(pi.hThread);
    // Wait for the end message and for the process to be gone, so the next
    // launch never overlaps what this one left behind.
    DWORD start = GetTickCount();
    bool exited = false;
    std::string problem;
    while (!exited || g_ends.empty()) {
        DWORD left = kRunTimeoutMs - std::min(kRunTimeoutMs, GetTickCount() - start);
        if (left == 0) {
            problem = exited ? "no end message" : "timed out";
            break;
        }
        DWORD r = MsgWaitForMultipleObjects(exited ? 0 : 1, &pi.hProcess, FALSE,
                                            std::min<DWORD>(left, 200), QS_ALLINPUT);
        if (!exited && r == WAIT_OBJECT_0) {
            exited = true;
            Pump();  // a message posted just before the end
            if (g_ends.empty()) {
                DWORD code = 0;
                GetExitCodeProcess(pi.hProcess, &code);
                char buf[96];
                std::snprintf(buf, sizeof buf, "ended without an end message (exit code 0x%lX)",
                              code);
                problem = buf;
                break;
            }
        }
        Pump();
    }
    if (!exited) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hProcess);
    if (!problem.empty()) return problem;
    if (g_ends.size() != 1) return "posted " + std::to_string(g_ends.size()) + " end messages";
    if (g_ends[0] != 0) return "ended early, wParam " + std::to_string(g_ends[0]);
    return "";
}

// A text the module left beside its record ("Reason", "Passes").
std::string Note(const std::string& name, const char* value) {
    std::string path = std::string(zb::kRootKey) + "\\" + zb::kBenchKey + "\\" + name;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    char buf[512];
    DWORD size = sizeof buf - 1;
    std::string reason;
    if (RegQueryValueExA(key, value, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size) ==
        ERROR_SUCCESS) {
        buf[size] = 0;
        reason = buf;
    }
    RegCloseKey(key);
    return reason;
}

// Run k of one module; false (and says why) when it did not complete.
bool BenchRun(const std::string& dir, const std::string& name, HWND window, HKEY handover, DWORD k,
              bool verbose) {
    std::string problem = RunOnce(dir + name + ".BNC", window, handover, k);
    if (verbose) {
        std::string passes = Note(name, "Passes");
        if (!passes.empty())
            std::printf("  %s run %lu passes (us): %s\n", name.c_str(), k + 1, passes.c_str());
    }
    if (!problem.empty()) {
        std::printf("  %s run %lu: %s\n", name.c_str(), k + 1, problem.c_str());
        std::string reason = Note(name, "Reason");
        if (!reason.empty()) std::printf("  reason: %s\n", reason.c_str());
    }
    std::fflush(stdout);
    return problem.empty();
}

struct Spread {
    double mean = 0, cv = 0, trend = 0;  // trend: last half's mean against the first half's, in %
};

Spread SpreadOf(const std::vector<double>& v) {
    Spread s;
    if (v.size() < 2) return s;
    double sum = 0, ss = 0, first = 0, last = 0;
    for (double x : v) sum += x;
    s.mean = sum / v.size();
    for (double x : v) ss += (x - s.mean) * (x - s.mean);
    s.cv = s.mean > 0 ? 100.0 * std::sqrt(ss / (v.size() - 1)) / s.mean : 0;
    for (size_t i = 0; i < v.size() / 2; ++i) {
        first += v[i];
        last += v[v.size() - v.size() / 2 + i];
    }
    s.trend = first > 0 ? 100.0 * (last - first) / first : 0;
    return s;
}

// A fixed piece of arithmetic, timed in microseconds: how steady the host
// itself was. A virtual machine's processor may drift by several per cent
// within seconds, and no module can repeat better than that.
double HostLoop() {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    volatile uint32_t x = 1;
    for (uint32_t i = 0; i < 20000000u; ++i) x = x * 1664525u + 1013904223u;
    QueryPerformanceCounter(&b);
    return 1e6 * double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

// host_probe's count of finished pieces of work, from the first eight
// bytes of its file; 0 when it cannot be read.
uint64_t ProbeCount(HANDLE file) {
    uint64_t n = 0;
    DWORD got = 0;
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0 ||
        !ReadFile(file, &n, sizeof n, &got, nullptr) || got != sizeof n)
        return 0;
    return n;
}

double Seconds() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(f.QuadPart);
}

// The probe's pieces per second while a run went on.
struct ProbeWatch {
    HANDLE file;
    uint64_t count0 = 0;
    double t0 = 0;
    void Start() {
        count0 = ProbeCount(file);
        t0 = Seconds();
    }
    double Rate() const {
        uint64_t count1 = ProbeCount(file);
        double t = Seconds() - t0;
        return count0 && count1 > count0 && t > 0 ? double(count1 - count0) / t : 0;
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The ten run values of a module's record and their figures, those of the
// host loop timed before each of its runs and, with the probe, of the runs
// scaled by the host's speed during each against its median speed.
bool Summary(const std::string& name, const std::vector<double>& hostLoops,
             const std::vector<double>& probeRates) {
    std::printf("%s\n", name.c_str());
    zb::Place place = zb::DefaultPlace();
    place.base = name;
    zb::Record r;
    if (!zb::ReadRecord(place, &r) || !zb::RecordValid(r) || r.runsStored != zb::kMaxRuns) {
        std::printf("  no valid record of ten runs in Bench\\%s\n", name.c_str());
        return false;
    }
    std::printf("  runs (us):");
    std::vector<double> runs;
    for (uint32_t v : r.values) {
        std::printf(" %lu", static_cast<unsigned long>(v));
        runs.push_back(v);
    }
    // A trend from run to run shows what one run leaves for the next.
    Spread s = SpreadOf(runs);
    double score = s.mean > 0 ? double(r.reference) / s.mean * 10000.0 : 0;
    std::printf("\n  mean %.0f us  cv %.2f %%  last five %+.1f %%  reference %lu  score %.0f\n",
                s.mean, s.cv, s.trend, static_cast<unsigned long>(r.reference), score);
    Spread host = SpreadOf(hostLoops);
    std::printf("  host loop %.0f us  cv %.2f %%  last five %+.1f %%\n", host.mean, host.cv, host.trend);
    if (probeRates.size() == runs.size() &&
        std::find(probeRates.begin(), probeRates.end(), 0.0) == probeRates.end()) {
        double median = Median(probeRates);
        std::vector<double> scaled;
        for (size_t k = 0; k < runs.size(); ++k) scaled.push_back(runs[k] * probeRates[k] / median);
        Spread probe = SpreadOf(probeRates), fair = SpreadOf(scaled);
        std::printf("  host probe  cv %.2f %%  last five %+.1f %%;  runs at the median host speed:"
                    "  cv %.2f %%  last five %+.1f %%\n",
                    probe.cv, probe.trend, fair.cv, fair.trend);
    } else if (!probeRates.empty()) {
        std::printf("  host probe: no count read around some run\n");
    }
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: module_bench <program dir> [-v] [-i] [-p FILE] [NAME ...]\n");
        return 2;
    }
    std::string dir = argv[1];
    if (dir.back() != '\\') dir += '\\';
    std::vector<std::string> names;
    bool verbose = false, interleaved = false;
    HANDLE probeFile = INVALID_HANDLE_VALUE;
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "-v")
            verbose = true;
        else if (std::string(argv[i]) == "-p" && i + 1 < argc) {
            probeFile = CreateFileA(argv[++i], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
            if (probeFile == INVALID_HANDLE_VALUE) {
                std::fprintf(stderr, "cannot open the probe's file %s\n", argv[i]);
                return 1;
            }
        }
        else if (std::string(argv[i]) == "-i")
            interleaved = true;
        else
            names.push_back(argv[i]);
    }
    if (names.empty()) {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((dir + "*.BNC").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do names.push_back(zb::BaseNameOf(fd.cFileName));
            while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        std::sort(names.begin(), names.end());
    }
    if (names.empty()) {
        std::fprintf(stderr, "no modules in %s\n", dir.c_str());
        return 1;
    }

    WNDCLASSA wc = {};
    wc.lpfnWndProc = EndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ModuleBenchEnd";
    RegisterClassA(&wc);
    HWND window = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                wc.hInstance, nullptr);
    HKEY handover;
    DWORD disp;
    std::string key = std::string(zb::kRootKey) + "\\" + zb::kHandoverKey;
    if (!window ||
        RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &handover, &disp) != ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot set up the end window or the hand-over key\n");
        return 1;
    }
    // Interleaved: run k of every module, then run k + 1..., so modules
    // compared with each other see the same load on the machine.
    std::vector<bool> ok(names.size(), true);
    std::vector<std::vector<double>> hostLoops(names.size());
    std::vector<std::vector<double>> probeRates(names.size());
    std::vector<double> allLoops, allRates;
    auto run = [&](size_t i, DWORD k) {
        hostLoops[i].push_back(HostLoop());
        allLoops.push_back(hostLoops[i].back());
        ProbeWatch watch{probeFile};
        if (probeFile != INVALID_HANDLE_VALUE) watch.Start();
        ok[i] = BenchRun(dir, names[i], window, handover, k, verbose);
        if (probeFile != INVALID_HANDLE_VALUE) {
            probeRates[i].push_back(watch.Rate());
            allRates.push_back(probeRates[i].back());
        }
    };
    if (interleaved) {
        for (DWORD k = 0; k < zb::kMaxRuns; ++k)
            for (size_t i = 0; i < names.size(); ++i)
                if (ok[i]) run(i, k);
    }
    int failed = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        for (DWORD k = 0; !interleaved && ok[i] && k < zb::kMaxRuns; ++k) run(i, k);
        if (!ok[i] || !Summary(names[i], hostLoops[i], probeRates[i])) ++failed;
    }
    Spread host = SpreadOf(allLoops);
    std::printf("host loop over the session: %zu timings, cv %.2f %%, last half %+.1f %%\n", allLoops.size(),
                host.cv, host.trend);
    if (!allRates.empty()) {
        Spread probe = SpreadOf(allRates);
        std::printf("host probe over the session: %zu runs, cv %.2f %%, last half %+.1f %%\n", allRates.size(),
                    probe.cv, probe.trend);
        CloseHandle(probeFile);
    }
    RegCloseKey(handover);
    DestroyWindow(window);
    return failed ? 1 : 0;
}
