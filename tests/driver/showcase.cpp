// Headless run: starts the program from its directory, answers the
// first-start notice, optionally measures every selected item through the
// all-items button (once, or ten times with --precise), prints the scores and
// checks the stored records, saves a screenshot and closes the program. With
// a second png path it then switches the display mode in the program's own
// dialog and saves the window in the other mode too.
// Usage: showcase [--measure | --precise] <program dir> <png path> [<png path>]
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gui_driver.h"

namespace {

const char kRoot[] = "Software\\Orvane\\Travik\\zelBr";
const int kAllItemsButton = 1008, kScoreFirst = 1044;

// Item name from a description file: 64 bytes at offset 20.
std::string ItemName(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "?";
    char buf[84] = {};
    DWORD got = 0;
    ReadFile(f, buf, sizeof buf, &got, nullptr);
    CloseHandle(f);
    if (got < sizeof buf) return "?";
    return std::string(buf + 20, strnlen(buf + 20, 64));
}

// The description files of the selected items, in catalogue order.
std::vector<std::string> SelectedDescriptions(const std::string& dir) {
    std::vector<std::string> files;
    for (int i = 0; i < 1000; ++i) {
        char key[96];
        std::snprintf(key, sizeof key, "%s\\Measure\\%04d", kRoot, i);
        if (!gui::RegKeyExists(key)) break;
        std::string file;
        DWORD select = 0;
        if (!gui::RegReadString(key, "File", &file) || !gui::RegReadDword(key, "Select", &select) || select != 1)
            continue;
        if (GetFileAttributesA((dir + file).c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        files.push_back(file.substr(0, file.size() - 3) + "MCR");
    }
    return files;
}

// Whether the item's "Result" record holds at least runs runs with right sums.
std::string RecordCheck(const std::string& item, DWORD runs) {
    std::vector<uint8_t> raw;
    std::string key = std::string(kRoot) + "\\Bench\\" + item.substr(0, item.size() - 4);
    if (!gui::RegRead(key, "Result", &raw) || raw.size() != 56) return "missing";
    uint32_t w[14];
    std::memcpy(w, raw.data(), sizeof w);
    uint32_t sum = 0;
    for (int i = 2; i < 12; ++i) sum += w[i];
    bool ok = w[0] >= runs && w[1] != 0 && w[12] == sum && w[13] == w[0] + w[1] + sum + w[12];
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %u runs, reference %u", ok ? "valid" : "INVALID", w[0], w[1]);
    return buf;
}

// Answers message boxes and the start confirmation while waiting for cond.
template <class F>
bool Attend(gui::Program& program, F cond, DWORD timeoutMs) {
    return gui::WaitFor(
        [&] {
            if (HWND box = gui::WaitMessageBox(program.pid, 0)) {
                std::printf("message: %s (answered OK)\n", gui::MessageBoxText(box).c_str());
                gui::Answer(box, IDOK);
                gui::WaitGone(box, 5000);
            }
            // Nobody is there to wait for the run announcement to close itself.
            if (HWND announce = gui::WaitWindow(program.pid, "#32770", "測定回数(ｱﾌﾟﾘｹｰｼｮﾝ ﾍﾞﾝﾁﾏｰｸ)", 0)) {
                gui::Click(announce, IDOK);
                gui::WaitGone(announce, 5000);
            }
            if (HWND confirm = gui::WaitWindow(program.pid, "#32770", "ZELBR", 0)) {
                if (GetDlgItem(confirm, 1146)) {
                    gui::Click(confirm, IDOK);
                    gui::WaitGone(confirm, 5000);
                }
            }
            return cond();
        },
        timeoutMs, 100);
}

// Simple or precise measurement, chosen in the program's own dialog.
bool ChoosePrecision(gui::Program& program, HWND main, bool precise) {
    const int kPrecisionTool = 1027, kSimple = 1128, kPrecise = 1129;
    if (!gui::Click(main, kPrecisionTool)) return false;
    HWND dlg = gui::WaitWindow(program.pid, "#32770", "測定精度の選択", 10000);
    if (!dlg) return false;
    int choice = precise ? kPrecise : kSimple;
    gui::Click(dlg, choice);
    gui::WaitFor([&] { return gui::CheckState(dlg, choice) == BST_CHECKED; }, 3000);
    gui::Click(dlg, IDOK);
    return gui::WaitGone(dlg, 10000);
}

// The other display mode, chosen in the program's own dialog.
bool SwitchDisplayMode(gui::Program& program, HWND main) {
    const int kDisplayTool = 1116, kNormal = 1149, kSystem = 1150;
    if (!gui::Click(main, kDisplayTool)) return false;
    HWND dlg = gui::WaitWindow(program.pid, "#32770", "表示モードの選択", 10000);
    if (!dlg) return false;
    int choice = gui::CheckState(dlg, kNormal) == BST_CHECKED ? kSystem : kNormal;
    gui::Click(dlg, choice);
    gui::WaitFor([&] { return gui::CheckState(dlg, choice) == BST_CHECKED; }, 3000);
    gui::Click(dlg, IDOK);
    return gui::WaitGone(dlg, 10000);
}

}  // namespace

int main(int argc, char** argv) {
    int arg = 1;
    bool precise = argc > 1 && std::strcmp(argv[1], "--precise") == 0;
    bool measure = precise || (argc > 1 && std::strcmp(argv[1], "--measure") == 0);
    if (measure) ++arg;
    DWORD runs = precise ? 10 : 1;
    if (argc - arg < 2) {
        std::fprintf(stderr, "usage: showcase [--measure] <program dir> <png path>\n");
        return 2;
    }
    std::string dir = argv[arg];
    const char* png = argv[arg + 1];
    const char* otherPng = argc - arg > 2 ? argv[arg + 2] : nullptr;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';

    gui::Program program = gui::Start(dir + "ZELBR.EXE", dir);
    if (!program.ok()) {
        std::fprintf(stderr, "cannot start %sZELBR.EXE\n", dir.c_str());
        return 1;
    }
    HWND main = nullptr;
    Attend(program, [&] { return (main = gui::WaitWindow(program.pid, "#32770", "ｸﾛﾉﾗﾝ", 0)) != nullptr; }, 30000);
    if (!main) {
        std::fprintf(stderr, "the main window did not appear\n");
        return 1;
    }
    // Wine shows a modal dialog again the first time its queue runs empty,
    // which would restore a window minimised for a run before that.
    WaitForInputIdle(program.process, 5000);
    std::printf("main window: %s\n", gui::WindowText(main).c_str());
    // The first start opens the manual; put it away as a reader would, so it
    // covers neither the run nor the screenshot.
    if (HWND help = gui::WaitWindow(0, "ZelbrHelpViewer", nullptr, 3000)) {
        std::printf("help: %s (closed)\n", gui::WindowText(help).c_str());
        PostMessageA(help, WM_CLOSE, 0, 0);
        gui::WaitGone(help, 5000);
    }
    int status = 0;
    if (measure && !ChoosePrecision(program, main, precise)) {
        std::fprintf(stderr, "could not choose the precision\n");
        status = 1;
    } else if (measure) {
        if (!gui::IsControlEnabled(main, kAllItemsButton)) {
            std::fprintf(stderr, "no measurement item is selected\n");
            status = 1;
        } else {
            std::printf("measuring every selected item %s...\n", precise ? "ten times" : "once");
            DWORD t0 = GetTickCount();
            gui::Click(main, kAllItemsButton);
            Attend(program, [&] { return IsIconic(main) != FALSE; }, 10000);
            if (!Attend(program, [&] { return !IsIconic(main); }, 600000)) {
                std::fprintf(stderr, "the measurement did not end\n");
                status = 1;
            }
            Attend(program, [] { return false; }, 500);  // late notices
            std::printf("measured in %.1f s\n", (GetTickCount() - t0) / 1000.0);
            std::vector<std::string> items = SelectedDescriptions(dir);
            for (size_t slot = 0; slot < items.size() && slot < 10; ++slot) {
                std::string score = gui::ControlText(main, kScoreFirst + 1 + static_cast<int>(slot));
                std::printf("  %-12s %-36s %-10s record: %s\n", items[slot].c_str(), ItemName(dir + items[slot]).c_str(),
                            score.empty() ? "(no score)" : score.c_str(), RecordCheck(items[slot], runs).c_str());
                if (score.empty()) status = 1;
            }
            std::string overall = gui::ControlText(main, kScoreFirst);
            std::printf("  overall score: %s\n", overall.empty() ? "(no score)" : overall.c_str());
            if (overall.empty()) status = 1;
        }
    }
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(500);
    bool saved = gui::CaptureWindow(main, png);
    if (saved && otherPng) {
        saved = SwitchDisplayMode(program, main);
        RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Sleep(500);
        saved = saved && gui::CaptureWindow(main, otherPng);
        // Back as it was, for the next run.
        SwitchDisplayMode(program, main);
    }
    gui::Click(main, IDOK);
    gui::WaitExit(program, 10000);
    if (!saved) {
        std::fprintf(stderr, "could not write %s%s%s\n", png, otherPng ? " or " : "", otherPng ? otherPng : "");
        return 1;
    }
    return status;
}
