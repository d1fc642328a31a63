// Harness overhead: how long the program takes from a module's end message
// to the start of the next module process, over a precise (ten-pass)
// measurement of all items with trivial test modules, driven through the
// real window. The test module notes, with the performance counter, when it
// starts and when it posts its end message.
// Usage: run_bench <program dir> <test module dir> [items]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "../tests/driver/gui_driver.h"

namespace {

const char kRoot[] = "Software\\Orvane\\Travik\\zelBr";

std::string ModuleKey(const std::string& base) { return "Software\\ZelbrTests\\Module\\" + base; }

// "S:<count>;P:<count>;..." as (kind, counter) pairs.
std::vector<std::pair<char, long long>> Timeline(const std::string& base) {
    std::vector<std::pair<char, long long>> events;
    std::string text;
    if (!gui::RegReadString(ModuleKey(base), "Timeline", &text)) return events;
    size_t pos = 0;
    while (pos + 2 < text.size()) {
        size_t end = text.find(';', pos);
        if (end == std::string::npos) break;
        events.emplace_back(text[pos], std::atoll(text.c_str() + pos + 2));
        pos = end + 1;
    }
    return events;
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: run_bench <program dir> <test module dir> [items]\n");
        return 2;
    }
    std::string dist = argv[1], testbin = argv[2];
    if (dist.back() != '\\') dist += '\\';
    if (testbin.back() != '\\') testbin += '\\';
    int items = argc > 3 ? std::atoi(argv[3]) : 3;

    std::string dir = gui::MakeProgramDir("run_bench");
    gui::CopyInto(dir, dist + "ZELBR.EXE");
    gui::RegDeleteTree(kRoot);
    gui::RegWriteDword(std::string(kRoot) + "\\Ini\\zelBr", "Precision", 10);
    gui::RegWriteBinary(std::string(kRoot) + "\\Ini\\zelBr", "Flag", {0x00});  // no prompts
    std::vector<std::string> bases;
    for (int i = 0; i < items; ++i) {
        char base[8], key[96];
        std::snprintf(base, sizeof base, "B%d", i + 1);
        std::snprintf(key, sizeof key, "%s\\Measure\\%04d", kRoot, i);
        bases.push_back(base);
        gui::CopyInto(dir, testbin + "TESTMOD.BNC", std::string(base) + ".BNC");
        gui::CopyInto(dir, testbin + "TESTMOD.MCR", std::string(base) + ".MCR");
        gui::RegDeleteTree(ModuleKey(base));
        gui::RegWriteString(ModuleKey(base), "Behaviour", "normal");
        gui::RegWriteString(key, "File", std::string(base) + ".BNC");
        gui::RegWriteDword(key, "Select", 1);
    }

    gui::Program program = gui::Start(dir + "ZELBR.EXE");
    HWND main = gui::WaitWindow(program.pid, "#32770", "ｸﾛﾉﾗﾝ", 20000);
    if (!main) {
        std::fprintf(stderr, "the main window did not appear\n");
        return 1;
    }
    WaitForInputIdle(program.process, 5000);
    DWORD t0 = GetTickCount();
    gui::Click(main, 1008);
    gui::WaitFor([&] { return IsIconic(main) != FALSE; }, 10000, 5);
    bool ended = gui::WaitFor([&] { return !IsIconic(main); }, 300000, 50);
    double wall = (GetTickCount() - t0) / 1000.0;
    gui::Click(main, IDOK);
    gui::WaitExit(program, 10000);
    if (!ended) {
        std::fprintf(stderr, "the measurement did not end\n");
        return 1;
    }

    std::vector<std::pair<long long, char>> all;
    for (const std::string& b : bases)
        for (auto& e : Timeline(b)) all.emplace_back(e.second, e.first);
    std::sort(all.begin(), all.end());
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    std::vector<double> gaps;
    for (size_t i = 0; i + 1 < all.size(); ++i)
        if (all[i].second == 'P' && all[i + 1].second == 'S')
            gaps.push_back((all[i + 1].first - all[i].first) * 1000.0 / freq.QuadPart);
    size_t starts = std::count_if(all.begin(), all.end(), [](auto& e) { return e.second == 'S'; });
    std::printf("precise all-items run of %d trivial modules: %zu launches in %.1f s\n", items, starts, wall);
    if (gaps.empty()) {
        std::fprintf(stderr, "no end-to-start gaps recorded (does the test module keep a timeline?)\n");
        return 1;
    }
    std::printf("end message -> next module start (%zu gaps)\n", gaps.size());
    std::printf("  median %7.1f ms\n", Percentile(gaps, 0.5));
    std::printf("  p90    %7.1f ms\n", Percentile(gaps, 0.9));
    std::printf("  min    %7.1f ms   max %7.1f ms\n", Percentile(gaps, 0), Percentile(gaps, 1));

    // Baseline: what Wine alone takes from process creation to the module's
    // first instruction, for the same module started directly.
    gui::CopyInto(dir, testbin + "TESTMOD.BNC", "B0.BNC");
    gui::RegDeleteTree(ModuleKey("B0"));
    gui::RegWriteString(ModuleKey("B0"), "Behaviour", "early");
    std::vector<double> starts0;
    for (int i = 0; i < 10; ++i) {
        LARGE_INTEGER before;
        QueryPerformanceCounter(&before);
        gui::Program p = gui::Start(dir + "B0.BNC");
        gui::WaitExit(p, 10000);
        auto t = Timeline("B0");
        if (!t.empty()) starts0.push_back((t.back().second - before.QuadPart) * 1000.0 / freq.QuadPart);
    }
    std::printf("process creation alone (10 direct starts): median %.1f ms\n", Percentile(starts0, 0.5));
    return 0;
}
