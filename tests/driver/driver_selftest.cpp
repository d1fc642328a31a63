// Checks the GUI driver against a small window of its own ("target" mode, run
// as a separate process) and against Wine's notepad.
// Usage: driver_selftest            run the checks (PNGs land in the current directory)
//        driver_selftest png DIR    write DIR\small.png and DIR\big.png for an outside decoder
#include <cstdio>
#include <cstring>

#include "gui_driver.h"

namespace {

int g_failures;

#define CHECK(cond)                                                  \
    do {                                                             \
        if (!(cond)) {                                               \
            printf("FAIL line %d: %s\n", __LINE__, #cond);           \
            g_failures++;                                            \
        }                                                            \
    } while (0)

const COLORREF kBackground = RGB(0, 128, 255);
const char kTitle[] = "driver target";
const char kHelpFile[] = "C:\\nonexistent\\ZELBR.HLP";

// Pixels the outside decoder must get back: small, and big enough for several stored blocks.
gui::Image Pattern(int w, int h) {
    gui::Image image;
    image.w = w;
    image.h = h;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            image.rgb.insert(image.rgb.end(), {uint8_t(x * 7 + y), uint8_t(y * 13), uint8_t((x ^ y) * 5)});
    return image;
}

std::string FormatMenu(UINT id, bool grayed, const char* text) {
    char line[300];
    snprintf(line, sizeof line, "%04X %d %s\n", id, grayed ? 1 : 0, text);
    return line;
}

// --- target mode: a window like the program's main dialog in the ways the driver cares about

LRESULT CALLBACK TargetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND) {
        int id = LOWORD(wp);
        if (id == 10) {
            int answer = MessageBoxA(hwnd, "続けますか？\n二行目", "ZELBR", MB_YESNO | MB_ICONQUESTION);
            SetDlgItemTextA(hwnd, 13, answer == IDYES ? "はい" : "いいえ");
        } else if (id == 14) {
            SetWindowTextA(hwnd, "owner-drawn clicked");
        } else if (id == 15) {
            WinHelpA(hwnd, kHelpFile, HELP_FINDER, 0);  // Wine: winhlp32 asks about the missing file
            SetWindowTextA(hwnd, "help returned");
        } else if (id == 11) {
            SetWindowTextA(hwnd, "disabled button clicked");
        } else if (id == 13 && HIWORD(wp) == EN_CHANGE) {
            char text[200];
            GetDlgItemTextA(hwnd, 13, text, sizeof text);
            SetWindowTextA(hwnd, (std::string("edit:") + text).c_str());
        } else if (id == IDCANCEL) {
            DestroyWindow(hwnd);
        }
        return 0;
    }
    if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == 0x20) {
        SetWindowTextA(hwnd, "sys 20");
        return 0;
    }
    if (msg == WM_DRAWITEM) {
        const DRAWITEMSTRUCT* item = (const DRAWITEMSTRUCT*)lp;
        HBRUSH green = CreateSolidBrush(RGB(0, 160, 0));
        FillRect(item->hDC, &item->rcItem, green);
        DeleteObject(green);
        return TRUE;
    }
    if (msg == WM_DESTROY) {
        WinHelpA(hwnd, kHelpFile, HELP_QUIT, 0);
        PostQuitMessage(3);
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int RunTarget(const char* menuDumpPath, const char* title, bool startChild) {
    if (startChild) {  // a helper process, like winhlp32 for the program
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string cmd = std::string("\"") + self + "\" child NUL";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi;
        if (CreateProcessA(self, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "DriverTarget";
    wc.hbrBackground = CreateSolidBrush(kBackground);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowA("DriverTarget", title, WS_OVERLAPPEDWINDOW, 40, 40, 360, 240, nullptr, nullptr,
                              wc.hInstance, nullptr);
    CreateWindowA("BUTTON", "Ask", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 10, 10, 80, 24, hwnd,
                  (HMENU)10, nullptr, nullptr);
    CreateWindowA("BUTTON", "Off", WS_CHILD | WS_VISIBLE | WS_DISABLED | BS_PUSHBUTTON, 100, 10, 80, 24, hwnd,
                  (HMENU)11, nullptr, nullptr);
    CreateWindowA("BUTTON", "Check", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 10, 40, 80, 24, hwnd,
                  (HMENU)12, nullptr, nullptr);
    CreateWindowA("BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 100, 40, 24, 24, hwnd, (HMENU)14, nullptr,
                  nullptr);
    CreateWindowA("BUTTON", "Help", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 190, 10, 80, 24, hwnd, (HMENU)15,
                  nullptr, nullptr);
    CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, 10, 70, 180, 24, hwnd, (HMENU)13,
                  nullptr, nullptr);
    // The program's kind of system menu: entries appended, size and maximise removed.
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, 0x20, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ(&B)");
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 0x40, "ｼｽﾃﾑ情報の編集(&I)...");
    DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    // What the program itself sees, for the reader to compare with.
    std::string dump;
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        char text[256] = "";
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        bool separator = info.fType & MFT_SEPARATOR;
        dump += FormatMenu(separator ? 0 : info.wID, !separator && (info.fState & MFS_GRAYED), separator ? "" : text);
    }
    if (FILE* f = fopen(menuDumpPath, "wb")) {
        fputs(dump.c_str(), f);
        fclose(f);
    }
    ShowWindow(hwnd, SW_SHOW);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(hwnd, &msg)) continue;  // Esc -> IDCANCEL, as in a dialog
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}

// --- checks

uint32_t BE32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

// Header sanity of a PNG this driver wrote: signature, IHDR size and format.
bool PngLooksRight(const std::string& path, int w, int h) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    std::vector<uint8_t> b(33);
    size_t got = fread(b.data(), 1, b.size(), f);
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    fclose(f);
    printf("  %s: %ld bytes, %ux%u\n", path.c_str(), size, got == 33 ? BE32(b, 16) : 0, got == 33 ? BE32(b, 20) : 0);
    return got == 33 && memcmp(b.data(), "\x89PNG\r\n\x1a\n", 8) == 0 && memcmp(&b[12], "IHDR", 4) == 0 &&
           BE32(b, 16) == uint32_t(w) && BE32(b, 20) == uint32_t(h) && b[24] == 8 && b[25] == 2 &&
           size > long(w) * h * 3;
}

int DistinctColours(const gui::Image& image) {
    std::vector<COLORREF> seen;
    for (int y = 0; y < image.h && seen.size() < 10; y += 7)
        for (int x = 0; x < image.w && seen.size() < 10; x += 7) {
            COLORREF c = image.At(x, y);
            bool known = false;
            for (COLORREF s : seen) known = known || s == c;
            if (!known) seen.push_back(c);
        }
    return (int)seen.size();
}

void PrintMenu(const std::vector<gui::MenuItem>& items) {
    for (const gui::MenuItem& item : items)
        printf("  %s", FormatMenu(item.id, item.grayed, item.text.c_str()).c_str());
}

bool HasId(const std::vector<gui::MenuItem>& items, UINT id) {
    for (const gui::MenuItem& item : items)
        if (item.id == id) return true;
    return false;
}

void CheckTarget(const std::string& self) {
    printf("target window\n");
    std::string dumpPath = gui::MakeProgramDir("selftest-menu") + "menu.txt";
    gui::Program target = gui::Start(self, "", "target \"" + dumpPath + "\"");
    CHECK(target.ok());
    HWND top = gui::WaitWindow(target.pid, "DriverTarget", kTitle);
    CHECK(top != nullptr);
    if (!top) return;
    CHECK(gui::WindowText(top) == kTitle);
    CHECK(gui::TopWindows(target.pid).size() == 1);
    CHECK(gui::ControlText(top, 10) == "Ask");
    CHECK(!gui::IsMessageBox(top));
    CHECK(gui::WaitMessageBox(target.pid, 200) == nullptr);

    // System menu as read from outside equals the program's own view.
    std::vector<gui::MenuItem> items = gui::SystemMenuItems(top);
    PrintMenu(items);
    std::string seen;
    for (const gui::MenuItem& item : items) seen += FormatMenu(item.id, item.grayed, item.text.c_str());
    std::string own;
    if (FILE* f = fopen(dumpPath.c_str(), "rb")) {
        char buf[4096];
        own.assign(buf, fread(buf, 1, sizeof buf, f));
        fclose(f);
    }
    CHECK(!items.empty());
    CHECK(seen == own);
    CHECK(!HasId(items, SC_SIZE) && !HasId(items, SC_MAXIMIZE) && HasId(items, SC_CLOSE));
    CHECK(items.size() >= 3 && items.back().id == 0x40 && items.back().grayed);
    CHECK(items.size() >= 3 && items[items.size() - 2].text == "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ(&B)" &&
          !items[items.size() - 2].grayed && items[items.size() - 3].separator);

    // Opened, the menu shows the states Wine refreshes then: restore greyed for a normal window.
    gui::OpenSystemMenu(top);
    HWND popup = gui::WaitWindow(target.pid, "#32768", nullptr, 5000);
    CHECK(popup != nullptr);
    std::vector<gui::MenuItem> shown = gui::PopupMenuItems(popup);
    CHECK(shown.size() == items.size());
    CHECK(!shown.empty() && shown[0].id == SC_RESTORE && shown[0].grayed);
    gui::PressKey(popup, VK_ESCAPE);
    CHECK(gui::WaitGone(popup, 5000));

    // A click that opens a message box returns at once; the box is found and answered.
    CHECK(gui::Click(top, 10));
    HWND box = gui::WaitMessageBox(target.pid, 5000);
    CHECK(box != nullptr);
    CHECK(gui::WindowText(box) == "ZELBR");
    CHECK(gui::MessageBoxText(box) == "続けますか？\n二行目");
    CHECK(!gui::Click(top, 12));  // the owner is disabled while the box is open
    CHECK(gui::SystemMenuItems(top).size() == items.size());  // readable during the modal loop
    CHECK(!gui::Answer(box, IDOK));  // a yes/no box has no OK button
    CHECK(gui::Answer(box, IDNO));
    CHECK(gui::WaitGone(box, 5000));
    CHECK(gui::WaitFor([&] { return gui::ControlText(top, 13) == "いいえ"; }, 5000));

    CHECK(!gui::IsControlEnabled(top, 11));
    CHECK(!gui::Click(top, 11));
    CHECK(gui::IsControlEnabled(top, 12) && gui::IsControlVisible(top, 12));
    CHECK(gui::CheckState(top, 12) == BST_UNCHECKED);
    CHECK(gui::Click(top, 12));
    CHECK(gui::WaitFor([&] { return gui::CheckState(top, 12) == BST_CHECKED; }, 5000));
    CHECK(gui::CheckState(top, 999) == -1);

    CHECK(gui::SetControlText(top, 13, "日本語ﾃｷｽﾄ"));
    CHECK(gui::ControlText(top, 13) == "日本語ﾃｷｽﾄ");
    CHECK(gui::WaitFor([&] { return gui::WindowText(top) == "edit:日本語ﾃｷｽﾄ"; }, 5000));  // EN_CHANGE came

    CHECK(gui::Click(top, 14));
    CHECK(gui::WaitFor([&] { return gui::WindowText(top) == "owner-drawn clicked"; }, 5000));

    // WinHelp blocks the program until winhlp32's own message box is answered.
    CHECK(gui::Click(top, 15));
    HWND helpBox = gui::WaitMessageBox(0, 10000);
    DWORD helpPid = 0;
    GetWindowThreadProcessId(helpBox, &helpPid);
    printf("  help box from pid %lu: %s\n", helpPid, gui::MessageBoxText(helpBox).c_str());
    CHECK(helpBox != nullptr && helpPid != target.pid);
    CHECK(gui::Answer(helpBox, IDNO));
    CHECK(gui::WaitFor([&] { return gui::WindowText(top) == "help returned"; }, 5000));

    gui::SysCommand(top, 0x20);
    CHECK(gui::WaitFor([&] { return gui::WindowText(top) == "sys 20"; }, 5000));
    CHECK(gui::WindowText(top) != "disabled button clicked");

    // Pixels: the client background away from the controls.
    gui::Image client = gui::Grab(top, true);
    RECT rc;
    GetClientRect(top, &rc);
    CHECK(client.w == rc.right && client.h == rc.bottom);
    CHECK(!client.empty() && client.At(client.w - 5, client.h - 5) == kBackground);
    CHECK(!client.empty() && client.At(30, 20) != kBackground);  // the Ask button
    RECT wr;
    GetWindowRect(top, &wr);
    CHECK(gui::CaptureWindow(top, "target.png"));
    CHECK(PngLooksRight("target.png", wr.right - wr.left, wr.bottom - wr.top));

    gui::PressKey(top, VK_ESCAPE);
    DWORD code = 0;
    CHECK(gui::WaitExit(target, 5000, &code));
    CHECK(code == 3);

    // The destructor ends a program left running, and the processes it started.
    HANDLE watch = nullptr, watchChild = nullptr;
    {
        gui::Program again = gui::Start(self, "", "target NUL child");
        CHECK(gui::WaitWindow(again.pid, "DriverTarget", kTitle) != nullptr);
        HWND child = gui::WaitWindow(0, "DriverTarget", "driver child");
        CHECK(child != nullptr);
        DWORD childPid = 0;
        GetWindowThreadProcessId(child, &childPid);
        CHECK(childPid != 0 && childPid != again.pid);
        watch = OpenProcess(SYNCHRONIZE, FALSE, again.pid);
        watchChild = OpenProcess(SYNCHRONIZE, FALSE, childPid);
    }
    CHECK(watch && WaitForSingleObject(watch, 0) == WAIT_OBJECT_0);
    CHECK(watchChild && WaitForSingleObject(watchChild, 5000) == WAIT_OBJECT_0);
    if (watch) CloseHandle(watch);
    if (watchChild) CloseHandle(watchChild);
}

void CheckNotepad() {
    printf("notepad\n");
    std::string dir = gui::MakeProgramDir("selftest");
    CHECK(!dir.empty() && dir.back() == '\\');
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string exe = std::string(windows) + "\\notepad.exe";
    CHECK(gui::CopyInto(dir, exe));
    CHECK(gui::CopyInto(dir, exe, "ﾒﾓ帳表示.exe"));  // second byte of 表 is 0x5C
    CHECK(GetFileAttributesA((dir + "notepad.exe").c_str()) != INVALID_FILE_ATTRIBUTES);
    CHECK(gui::MakeProgramDir("selftest") == dir);
    CHECK(GetFileAttributesA((dir + "notepad.exe").c_str()) == INVALID_FILE_ATTRIBUTES);  // wiped
    CHECK(gui::CopyInto(dir, exe, "ﾒﾓ帳表示.exe"));

    gui::Program notepad = gui::Start(dir + "ﾒﾓ帳表示.exe");
    CHECK(notepad.ok());
    CHECK(notepad.dir == dir);
    HWND top = gui::WaitWindow(notepad.pid, "Notepad", nullptr);
    CHECK(top != nullptr);
    if (!top) return;
    std::string title = gui::WindowText(top);
    printf("  title: %s\n", title.c_str());
    CHECK(!title.empty());
    std::vector<gui::MenuItem> items = gui::SystemMenuItems(top);
    PrintMenu(items);
    CHECK(HasId(items, SC_CLOSE) && HasId(items, SC_SIZE) && HasId(items, SC_MAXIMIZE));
    RECT wr;
    GetWindowRect(top, &wr);
    CHECK(gui::CaptureWindow(top, "notepad.png"));
    CHECK(PngLooksRight("notepad.png", wr.right - wr.left, wr.bottom - wr.top));
    CHECK(gui::WaitFor([&] { return DistinctColours(gui::Grab(top)) >= 3; }, 5000));  // painted, not black
    CHECK(gui::CaptureScreen("screen.png"));
    CHECK(PngLooksRight("screen.png", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    gui::SysCommand(top, SC_CLOSE);
    CHECK(gui::WaitExit(notepad, 5000));
}

void CheckRegistry() {
    printf("registry\n");
    const std::string root = "Software\\ZelbrDriverSelftest";
    const std::string key = root + "\\Ini\\zelBr";
    CHECK(gui::RegDeleteTree(root));
    CHECK(!gui::RegKeyExists(root));
    CHECK(gui::RegWriteDword(key, "Precision", 10));
    CHECK(gui::RegWriteBinary(key, "Position", {1, 2, 3, 0xFF}));
    CHECK(gui::RegWriteString(root + "\\System", "CPU", "ｸﾛｯｸ 表示"));
    DWORD number = 0, type = 0;
    CHECK(gui::RegReadDword(key, "Precision", &number) && number == 10);
    std::vector<uint8_t> bytes;
    CHECK(gui::RegRead(key, "Position", &bytes, &type) && type == REG_BINARY &&
          bytes == std::vector<uint8_t>({1, 2, 3, 0xFF}));
    std::string text;
    CHECK(gui::RegReadString(root + "\\System", "CPU", &text) && text == "ｸﾛｯｸ 表示");
    CHECK(!gui::RegRead(key, "Missing", &bytes));
    CHECK(gui::RegKeyExists(key));
    CHECK(gui::RegDeleteTree(root));
    CHECK(!gui::RegKeyExists(root));
}

}  // namespace

int main(int argc, char** argv) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (argc >= 3 && strcmp(argv[1], "target") == 0) return RunTarget(argv[2], kTitle, argc > 3);
    if (argc == 3 && strcmp(argv[1], "child") == 0) return RunTarget(argv[2], "driver child", false);
    if (argc == 3 && strcmp(argv[1], "png") == 0) {
        std::string dir = std::string(argv[2]) + "\\";
        return gui::WritePng(dir + "small.png", Pattern(3, 2)) && gui::WritePng(dir + "big.png", Pattern(160, 150))
                   ? 0
                   : 1;
    }
    CheckTarget(self);
    CheckNotepad();
    CheckRegistry();
    printf(g_failures ? "%d FAILURES\n" : "all passed\n", g_failures);
    return g_failures ? 1 : 0;
}
