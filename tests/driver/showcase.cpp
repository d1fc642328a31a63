// Headless run: starts the program from its directory, answers the
// first-start notice, saves a screenshot of the desktop and closes it.
// Usage: showcase <program dir> <png path>
#include <cstdio>
#include <string>

#include "gui_driver.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: showcase <program dir> <png path>\n");
        return 2;
    }
    std::string dir = argv[1];
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    gui::Program program = gui::Start(dir + "ZELBR.EXE", dir);
    if (!program.ok()) {
        std::fprintf(stderr, "cannot start %sZELBR.EXE\n", dir.c_str());
        return 1;
    }
    HWND main = nullptr;
    // The first start shows a notice before the window; nobody is there to read it.
    gui::WaitFor(
        [&] {
            if (HWND box = gui::WaitMessageBox(program.pid, 0)) {
                std::printf("notice: %s (answered OK)\n", gui::MessageBoxText(box).c_str());
                gui::Answer(box, IDOK);
            }
            main = gui::WaitWindow(program.pid, "#32770", "ｸﾛﾉﾗﾝ", 0);
            return main != nullptr;
        },
        20000, 100);
    if (!main) {
        std::fprintf(stderr, "the main window did not appear\n");
        return 1;
    }
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(500);
    bool saved = gui::CaptureScreen(argv[2]);
    std::printf("main window: %s\n", gui::WindowText(main).c_str());
    gui::Click(main, IDOK);
    gui::WaitExit(program, 10000);
    if (!saved) {
        std::fprintf(stderr, "could not write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
