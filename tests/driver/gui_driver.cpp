#include "gui_driver.h"

#include <cstdio>

#include "menu_hook.h"

namespace gui {

namespace {

const DWORD kSendTimeoutMs = 5000;

bool SendWithTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR* result) {
    return SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, kSendTimeoutMs, result) != 0;
}

// Byte-wise search would split CP932 double-byte characters whose second byte
// is 0x5C, so walk the characters.
std::string BaseName(const std::string& path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); i++) {
        if (IsDBCSLeadByte((BYTE)path[i])) { i++; continue; }
        if (path[i] == '\\' || path[i] == '/') start = i + 1;
    }
    return path.substr(start);
}

std::string DirOf(const std::string& path) {
    std::string dir = path.substr(0, path.size() - BaseName(path).size());
    return dir.empty() ? ".\\" : dir;
}

void DeleteDirContents(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dir + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = dir + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            DeleteDirContents(path + "\\");
            RemoveDirectoryA(path.c_str());
        } else {
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

DWORD WindowPid(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

struct EnumState {
    DWORD pid;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM lp) {
    EnumState* state = (EnumState*)lp;
    if ((!state->pid || WindowPid(hwnd) == state->pid) && (!state->visibleOnly || IsWindowVisible(hwnd)))
        state->found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lp) {
    ((std::vector<HWND>*)lp)->push_back(hwnd);
    return TRUE;
}

ReadRemoteMenuFn MenuReader() {
    static ReadRemoteMenuFn reader;
    if (!reader) {
        char exe[MAX_PATH];
        GetModuleFileNameA(nullptr, exe, MAX_PATH);
        HMODULE dll = LoadLibraryA((DirOf(exe) + GUI_MENUHOOK_DLL).c_str());
        if (dll) reader = (ReadRemoteMenuFn)(void*)GetProcAddress(dll, GUI_MENUHOOK_READ);
        if (!reader) fprintf(stderr, "gui driver: %s not found beside the test program\n", GUI_MENUHOOK_DLL);
    }
    return reader;
}

}  // namespace

Program& Program::operator=(Program&& other) noexcept {
    if (this != &other) {
        Close();
        process = other.process;
        job = other.job;
        pid = other.pid;
        dir = std::move(other.dir);
        other.process = nullptr;
        other.job = nullptr;
        other.pid = 0;
    }
    return *this;
}

void Program::Close() {
    if (job) {
        TerminateJobObject(job, 1);  // also helpers left behind by a program that ended
        CloseHandle(job);
        job = nullptr;
    }
    if (!process) return;
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 1);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
    process = nullptr;
}

std::string MakeProgramDir(const std::string& name) {
    char temp[MAX_PATH];
    if (!GetTempPathA(MAX_PATH, temp)) return "";
    std::string root = std::string(temp) + "zelbr-gui\\";
    std::string dir = root + name + "\\";
    CreateDirectoryA(root.c_str(), nullptr);
    DeleteDirContents(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    DWORD attr = GetFileAttributesA(dir.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) ? dir : "";
}

bool CopyInto(const std::string& dir, const std::string& srcPath) {
    return CopyInto(dir, srcPath, BaseName(srcPath));
}

bool CopyInto(const std::string& dir, const std::string& srcPath, const std::string& newName) {
    std::string target = dir + newName;
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    return CopyFileA(srcPath.c_str(), target.c_str(), FALSE) != 0;
}

Program Start(const std::string& exePath, const std::string& workDir, const std::string& args) {
    Program program;
    char full[MAX_PATH];
    if (!GetFullPathNameA(exePath.c_str(), MAX_PATH, full, nullptr)) return program;
    program.dir = DirOf(full);
    std::string cmd = "\"" + std::string(full) + "\"" + (args.empty() ? "" : " " + args);
    std::string cwd = workDir.empty() ? program.dir : workDir;
    // Wine starts the desktop process (explorer /desktop) from the first process
    // that needs it; started from the program it would join the job below and
    // die with it, leaving later programs without a desktop (X BadWindow).
    GetDesktopWindow();
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(full, &cmd[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, cwd.c_str(), &si, &pi))
        return program;
    // Children join the job, so Close() (or our own exit) ends them too. Under
    // Wine they share our Unix stderr, so a leftover winhlp32 would keep a test
    // runner waiting on the pipe.
    program.job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (program.job) {
        SetInformationJobObject(program.job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        AssignProcessToJobObject(program.job, pi.hProcess);
    }
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    program.process = pi.hProcess;
    program.pid = pi.dwProcessId;
    return program;
}

bool WaitExit(Program& program, DWORD timeoutMs, DWORD* exitCode) {
    if (!program.process || WaitForSingleObject(program.process, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode) GetExitCodeProcess(program.process, exitCode);
    return true;
}

std::vector<HWND> TopWindows(DWORD pid, bool visibleOnly) {
    EnumState state = {pid, visibleOnly, {}};
    EnumWindows(CollectTop, (LPARAM)&state);
    return state.found;
}

HWND WaitWindow(DWORD pid, const char* className, const char* title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND hwnd : TopWindows(pid)) {
            char text[512] = "";
            GetWindowTextA(hwnd, text, sizeof text);  // stored title: no message to a busy program
            if ((!className || lstrcmpiA(ClassName(hwnd).c_str(), className) == 0) &&
                (!title || std::string(text) == title)) {
                found = hwnd;
                return true;
            }
        }
        return false;
    }, timeoutMs);
    return found;
}

bool IsMessageBox(HWND hwnd) {
    if (ClassName(hwnd) != "#32770") return false;
    std::vector<HWND> children;
    EnumChildWindows(hwnd, CollectChild, (LPARAM)&children);
    int texts = 0, buttons = 0;
    for (HWND child : children) {
        int id = GetDlgCtrlID(child);
        std::string cls = ClassName(child);
        bool icon = (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        if (lstrcmpiA(cls.c_str(), "Button") == 0 && id >= IDOK && id <= 11) buttons++;
        else if (lstrcmpiA(cls.c_str(), "Static") == 0 && icon) continue;
        else if (lstrcmpiA(cls.c_str(), "Static") == 0 && id == 0xFFFF) texts++;
        else return false;
    }
    return texts == 1 && buttons > 0;
}

HWND WaitMessageBox(DWORD pid, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND hwnd : TopWindows(pid))
            if (IsMessageBox(hwnd)) { found = hwnd; return true; }
        return false;
    }, timeoutMs);
    return found;
}

std::string MessageBoxText(HWND msgbox) { return ControlText(msgbox, 0xFFFF); }

bool WaitGone(HWND hwnd, DWORD timeoutMs) {
    return WaitFor([&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); }, timeoutMs);
}

std::string ClassName(HWND hwnd) {
    char name[256] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string WindowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!hwnd || !SendWithTimeout(hwnd, WM_GETTEXTLENGTH, 0, 0, &length)) return "";
    std::string text(length * 2 + 1, '\0');  // the ANSI length may be an estimate
    DWORD_PTR copied = 0;
    if (!SendWithTimeout(hwnd, WM_GETTEXT, text.size(), (LPARAM)&text[0], &copied)) return "";
    text.resize(strlen(text.c_str()));
    return text;
}

std::string ControlText(HWND dlg, int id) { return WindowText(GetDlgItem(dlg, id)); }

bool IsControlEnabled(HWND dlg, int id) {
    HWND control = GetDlgItem(dlg, id);
    return control && IsWindowEnabled(control);
}

bool IsControlVisible(HWND dlg, int id) {
    HWND control = GetDlgItem(dlg, id);
    return control && IsWindowVisible(control);
}

int CheckState(HWND dlg, int id) {
    HWND control = GetDlgItem(dlg, id);
    DWORD_PTR state = 0;
    if (!control || !SendWithTimeout(control, BM_GETCHECK, 0, 0, &state)) return -1;
    return (int)state;
}

bool Click(HWND dlg, int id) {
    HWND control = GetDlgItem(dlg, id);
    if (!control || !IsWindowVisible(control) || !IsWindowEnabled(control)) return false;
    if (!IsWindowEnabled(GetAncestor(control, GA_ROOT))) return false;
    // Wine's BM_CLICK clicks even disabled buttons, hence the checks above.
    return PostMessageA(control, BM_CLICK, 0, 0) != 0;
}

bool Answer(HWND msgbox, int buttonId) {
    HWND button = GetDlgItem(msgbox, buttonId);
    return button && PostMessageA(msgbox, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), (LPARAM)button);
}

void SysCommand(HWND hwnd, WPARAM command) { PostMessageA(hwnd, WM_SYSCOMMAND, command, 0); }

bool SetControlText(HWND dlg, int id, const std::string& text) {
    HWND control = GetDlgItem(dlg, id);
    DWORD_PTR result = 0;
    return control && SendWithTimeout(control, WM_SETTEXT, 0, (LPARAM)text.c_str(), &result) && result;
}

void PressKey(HWND hwnd, int vk) {
    LPARAM scan = (LPARAM)MapVirtualKeyA(vk, 0) << 16;
    PostMessageA(hwnd, WM_KEYDOWN, vk, scan | 1);
    PostMessageA(hwnd, WM_KEYUP, vk, scan | 1 | 0xC0000000);
}

std::vector<MenuItem> MenuItems(HWND owner, HMENU menu) {
    std::vector<MenuItem> items;
    ReadRemoteMenuFn read = MenuReader();
    if (!read || !IsWindow(owner)) return items;
    std::vector<HookMenuEntry> raw(kHookMenuMax);
    int n = read(owner, menu, raw.data(), kHookMenuMax);
    for (int i = 0; i < n; i++) {
        MenuItem item;
        item.separator = (raw[i].type & MFT_SEPARATOR) != 0;
        item.id = item.separator ? 0 : raw[i].id;
        item.text = item.separator ? "" : raw[i].text;
        item.grayed = !item.separator && (raw[i].state & (MF_GRAYED | MF_DISABLED)) != 0;
        items.push_back(item);
    }
    return items;
}

std::vector<MenuItem> SystemMenuItems(HWND top) { return MenuItems(top, nullptr); }

void OpenSystemMenu(HWND top) { PostMessageA(top, WM_SYSCOMMAND, SC_KEYMENU, ' '); }

std::vector<MenuItem> PopupMenuItems(HWND popup) {
    DWORD_PTR menu = 0;
    if (!SendWithTimeout(popup, MN_GETHMENU, 0, 0, &menu) || !menu) return {};
    return MenuItems(popup, (HMENU)menu);  // the handle only means something in its own process
}

Image Grab(HWND hwnd, bool clientOnly) {
    Image image;
    RECT r;
    if (!hwnd) {
        GetWindowRect(GetDesktopWindow(), &r);
    } else if (clientOnly) {
        GetClientRect(hwnd, &r);
        MapWindowPoints(hwnd, nullptr, (POINT*)&r, 2);
    } else {
        GetWindowRect(hwnd, &r);
    }
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return image;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY)) {
            GdiFlush();
            image.w = w;
            image.h = h;
            image.rgb.resize(size_t(w) * h * 3);
            size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
            for (int y = 0; y < h; y++) {
                const uint8_t* src = (const uint8_t*)bits + y * stride;
                uint8_t* dst = &image.rgb[size_t(y) * w * 3];
                for (int x = 0; x < w; x++, src += 3, dst += 3) {
                    dst[0] = src[2];  // DIBs are BGR
                    dst[1] = src[1];
                    dst[2] = src[0];
                }
            }
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

namespace {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < size; i++) {
        crc ^= data[i];
        for (int k = 0; k < 8; k++) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    PutBE32(out, (uint32_t)data.size());
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBE32(out, Crc32(&out[start], out.size() - start));
}

}  // namespace

// PNG with one zlib stream of stored (uncompressed) deflate blocks: big files,
// but no compression code to get wrong.
bool WritePng(const std::string& path, const Image& image) {
    if (image.empty()) return false;
    std::vector<uint8_t> raw;  // each row: filter type 0, then RGB
    for (int y = 0; y < image.h; y++) {
        raw.push_back(0);
        const uint8_t* row = &image.rgb[size_t(y) * image.w * 3];
        raw.insert(raw.end(), row, row + size_t(image.w) * 3);
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;  // Adler-32
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t pos = 0; pos < raw.size();) {
        size_t len = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        bool last = pos + len == raw.size();
        z.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00 = stored
        z.push_back(uint8_t(len));
        z.push_back(uint8_t(len >> 8));
        z.push_back(uint8_t(~len));
        z.push_back(uint8_t(~len >> 8));
        z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + len);
        pos += len;
    }
    PutBE32(z, (b << 16) | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBE32(header, image.w);
    PutBE32(header, image.h);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", z);
    PutChunk(png, "IEND", {});
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(png.data(), 1, png.size(), f) == png.size();
    return fclose(f) == 0 && ok;
}

bool CaptureWindow(HWND hwnd, const std::string& pngPath) { return hwnd && WritePng(pngPath, Grab(hwnd)); }

bool CaptureScreen(const std::string& pngPath) { return WritePng(pngPath, Grab(nullptr)); }

bool RegRead(const std::string& key, const std::string& value, std::vector<uint8_t>* data, DWORD* type) {
    HKEY hkey;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &hkey) != ERROR_SUCCESS) return false;
    DWORD size = 0, kind = 0;
    LONG rc = RegQueryValueExA(hkey, value.c_str(), nullptr, &kind, nullptr, &size);
    std::vector<uint8_t> bytes(size);
    if (rc == ERROR_SUCCESS && size)
        rc = RegQueryValueExA(hkey, value.c_str(), nullptr, &kind, bytes.data(), &size);
    RegCloseKey(hkey);
    if (rc != ERROR_SUCCESS) return false;
    bytes.resize(size);
    if (data) *data = bytes;
    if (type) *type = kind;
    return true;
}

bool RegReadDword(const std::string& key, const std::string& value, DWORD* data) {
    std::vector<uint8_t> bytes;
    if (!RegRead(key, value, &bytes) || bytes.size() != 4) return false;
    *data = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | DWORD(bytes[3]) << 24;
    return true;
}

bool RegReadString(const std::string& key, const std::string& value, std::string* data) {
    std::vector<uint8_t> bytes;
    if (!RegRead(key, value, &bytes)) return false;
    data->assign(bytes.begin(), bytes.end());
    data->resize(strlen(data->c_str()));  // drop the terminator
    return true;
}

namespace {

bool RegWrite(const std::string& key, const std::string& value, DWORD type, const void* data, size_t size) {
    HKEY hkey;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hkey, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(hkey, value.c_str(), 0, type, (const BYTE*)data, (DWORD)size);
    RegCloseKey(hkey);
    return rc == ERROR_SUCCESS;
}

// RegDeleteKeyA may refuse keys with subkeys (NT), so delete bottom-up.
void DeleteKeyTree(HKEY parent, const std::string& key) {
    HKEY hkey;
    if (RegOpenKeyExA(parent, key.c_str(), 0, KEY_ALL_ACCESS, &hkey) == ERROR_SUCCESS) {
        char sub[256];
        std::string last;
        while (RegEnumKeyA(hkey, 0, sub, sizeof sub) == ERROR_SUCCESS && last != sub) {
            last = sub;  // a subkey that survives deletion must not loop forever
            DeleteKeyTree(hkey, sub);
        }
        RegCloseKey(hkey);
    }
    RegDeleteKeyA(parent, key.c_str());
}

}  // namespace

bool RegWriteBinary(const std::string& key, const std::string& value, const std::vector<uint8_t>& bytes) {
    return RegWrite(key, value, REG_BINARY, bytes.data(), bytes.size());
}

bool RegWriteDword(const std::string& key, const std::string& value, DWORD data) {
    return RegWrite(key, value, REG_DWORD, &data, sizeof data);
}

bool RegWriteString(const std::string& key, const std::string& value, const std::string& data) {
    return RegWrite(key, value, REG_SZ, data.c_str(), data.size() + 1);
}

bool RegDeleteTree(const std::string& key) {
    if (key.empty()) return false;  // never the whole of HKEY_CURRENT_USER
    DeleteKeyTree(HKEY_CURRENT_USER, key);
    return !RegKeyExists(key);
}

bool RegKeyExists(const std::string& key) {
    HKEY hkey;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &hkey) != ERROR_SUCCESS) return false;
    RegCloseKey(hkey);
    return true;
}

}  // namespace gui
