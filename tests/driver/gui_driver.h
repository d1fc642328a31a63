// Drives a running Win32 program from another process: start it, find its
// windows, press its buttons, read its texts, menus, pixels and registry.
// All texts are code page 932 multibyte strings (ANSI APIs).
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// mingw maps this name to RegDeleteTreeA (Vista+); we want our own.
#ifdef RegDeleteTree
#undef RegDeleteTree
#endif

namespace gui {

// A started program; the destructor kills it if it still runs, together with
// the processes it started (winhlp32 from WinHelp, for one).
struct Program {
    HANDLE process = nullptr;
    HANDLE job = nullptr;  // holds the program and its children
    DWORD pid = 0;
    std::string dir;  // directory of the executable, ends with a backslash

    Program() = default;
    Program(Program&& other) noexcept { *this = std::move(other); }
    Program& operator=(Program&& other) noexcept;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program() { Close(); }

    bool ok() const { return process != nullptr; }
    void Close();  // end the program and its children, release the handles
};

// Fresh empty directory %TEMP%\zelbr-gui\<name>\ (wiped first); "" on failure.
std::string MakeProgramDir(const std::string& name);
bool CopyInto(const std::string& dir, const std::string& srcPath);
bool CopyInto(const std::string& dir, const std::string& srcPath, const std::string& newName);

// workDir "" = the executable's directory.
Program Start(const std::string& exePath, const std::string& workDir = "", const std::string& args = "");
bool WaitExit(Program& program, DWORD timeoutMs, DWORD* exitCode = nullptr);

template <class F>
bool WaitFor(F cond, DWORD timeoutMs, DWORD stepMs = 20) {
    DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start >= timeoutMs) return cond();
        Sleep(stepMs);
    }
}

// pid 0 = any process: WinHelp, for one, runs in its own winhlp32 process.
// Top-level windows of a process; hidden ones (IME, tooltips) only on request.
std::vector<HWND> TopWindows(DWORD pid, bool visibleOnly = true);
// First visible top-level window of pid with that class and/or title (null = any).
HWND WaitWindow(DWORD pid, const char* className, const char* title, DWORD timeoutMs = 10000);
// A message box: a "#32770" dialog holding only buttons, an icon and the text static 0xFFFF.
bool IsMessageBox(HWND hwnd);
HWND WaitMessageBox(DWORD pid, DWORD timeoutMs = 10000);
std::string MessageBoxText(HWND msgbox);
bool WaitGone(HWND hwnd, DWORD timeoutMs = 10000);  // destroyed or hidden

std::string ClassName(HWND hwnd);
std::string WindowText(HWND hwnd);  // asks the window (WM_GETTEXT), so edits are current
std::string ControlText(HWND dlg, int id);
bool IsControlEnabled(HWND dlg, int id);
bool IsControlVisible(HWND dlg, int id);
int CheckState(HWND dlg, int id);  // BST_UNCHECKED/CHECKED/INDETERMINATE, -1 if missing

// Actions are posted, so a modal dialog opened by them never blocks the test.
// Click refuses (false) a missing, hidden or disabled control, or one whose
// window is disabled by a modal dialog: a user could not click it either.
bool Click(HWND dlg, int id);
bool Answer(HWND msgbox, int buttonId);  // IDOK, IDYES, IDNO...; false if no such button
void SysCommand(HWND hwnd, WPARAM command);
bool SetControlText(HWND dlg, int id, const std::string& text);
// Key down and up posted to hwnd; a dialog's message loop turns Esc/Enter into commands.
void PressKey(HWND hwnd, int vk);

struct MenuItem {
    UINT id = 0;  // 0 for separators
    std::string text;
    bool separator = false;
    bool grayed = false;  // greyed or disabled
};
// Read inside the owning process by gui_menuhook.dll, which must lie beside the
// test executable. Empty on failure. Wine refreshes the state of the platform's
// own entries (restore, move...) only when the menu opens.
std::vector<MenuItem> SystemMenuItems(HWND top);
std::vector<MenuItem> MenuItems(HWND owner, HMENU menu);
// Opens the system menu as Alt+Space does; its popup is a "#32768" window.
void OpenSystemMenu(HWND top);
std::vector<MenuItem> PopupMenuItems(HWND popup);

struct Image {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;  // rows top-down, 3 bytes a pixel
    bool empty() const { return w <= 0 || h <= 0; }
    COLORREF At(int x, int y) const {
        const uint8_t* p = &rgb[(size_t(y) * w + x) * 3];
        return RGB(p[0], p[1], p[2]);
    }
};
// Screen pixels under the window (so overlapping windows show); null = whole screen.
Image Grab(HWND hwnd, bool clientOnly = false);
bool WritePng(const std::string& path, const Image& image);
bool CaptureWindow(HWND hwnd, const std::string& pngPath);
bool CaptureScreen(const std::string& pngPath);

// Registry under HKEY_CURRENT_USER.
bool RegRead(const std::string& key, const std::string& value, std::vector<uint8_t>* data, DWORD* type = nullptr);
bool RegReadDword(const std::string& key, const std::string& value, DWORD* data);
bool RegReadString(const std::string& key, const std::string& value, std::string* data);
bool RegWriteBinary(const std::string& key, const std::string& value, const std::vector<uint8_t>& bytes);
bool RegWriteDword(const std::string& key, const std::string& value, DWORD data);
bool RegWriteString(const std::string& key, const std::string& value, const std::string& data);
bool RegDeleteTree(const std::string& key);  // true when the key is gone (or never was)
bool RegKeyExists(const std::string& key);

}  // namespace gui
