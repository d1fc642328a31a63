// A module for tests of the run protocol. What it does is chosen per base
// name (so one binary copied as T1.BNC, T2.BNC... plays several items) by
// values under HKCU\Software\ZelbrTests\Module\<BASE>:
//   "Behaviour" REG_SZ  normal | early | crash | never | twice | malformed |
//                       badsum | wait | linger | deaf   (missing: normal)
//   "Value"     REG_DWORD the run value (1000), "Reference" (1000),
//   "DelayMs"   REG_DWORD for wait, and for linger: how long it stays after
//               posting its end (0).
// deaf starts notepad.exe (its process id goes to "ChildPid") and then
// ignores "Suspension" for a minute.
// Every launch appends the "Count" it saw to "Launches" ("0,1,2") and writes
// the "hWnd" it saw to "LastHwnd", so tests can follow the sequence. It also
// appends "S:<counter>;" when it starts and "P:<counter>;" when it posts a
// completed run (normal) to "Timeline", with the performance counter, so a
// benchmark can time the program between one module and the next.
#include <windows.h>

#include <cstdint>
#include <string>

#include "zbmodule.h"

namespace {

struct Settings {
    std::string behaviour = "normal";
    DWORD value = 1000;
    DWORD reference = 1000;
    DWORD delayMs = 0;
};

LARGE_INTEGER g_started;
DWORD g_value = 1000;
DWORD g_delayMs = 0;

bool ReadDword(HKEY k, const char* name, DWORD* out) {
    DWORD v = 0, size = sizeof v;
    if (RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size) !=
            ERROR_SUCCESS ||
        size != sizeof v)
        return false;
    *out = v;
    return true;
}

std::string ReadText(HKEY k, const char* name) {
    char buf[4096];
    DWORD size = sizeof buf - 1;
    if (RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size) !=
        ERROR_SUCCESS)
        return std::string();
    buf[size < sizeof buf ? size : sizeof buf - 1] = 0;
    return buf;
}

// Reads the settings and leaves the trace of this launch.
Settings Prepare(const zb::Place& place) {
    Settings s;
    HKEY k;
    DWORD disp;
    std::string path = "Software\\ZelbrTests\\Module\\" + place.base;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &k, &disp) != ERROR_SUCCESS)
        return s;
    std::string b = ReadText(k, "Behaviour");
    if (!b.empty()) s.behaviour = b;
    ReadDword(k, "Value", &s.value);
    ReadDword(k, "Reference", &s.reference);
    ReadDword(k, "DelayMs", &s.delayMs);

    zb::Handover h;
    bool have = zb::ReadHandover(place, &h);
    std::string launches = ReadText(k, "Launches");
    if (!launches.empty()) launches += ",";
    launches += have ? std::to_string(h.count) : std::string("?");
    RegSetValueExA(k, "Launches", 0, REG_SZ, reinterpret_cast<const BYTE*>(launches.c_str()),
                   DWORD(launches.size() + 1));
    DWORD hwnd = have ? DWORD(reinterpret_cast<uintptr_t>(h.window)) : 0;
    RegSetValueExA(k, "LastHwnd", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&hwnd), sizeof hwnd);
    RegFlushKey(k);
    RegCloseKey(k);
    return s;
}

bool GiveValue(zb::Run& run) {
    run.SetValue(g_value);
    return true;
}

bool WaitThenGiveValue(zb::Run& run) {
    if (!run.Pause(g_delayMs)) return false;
    run.SetValue(g_value);
    return true;
}

void Mark(const std::string& base, char kind, const LARGE_INTEGER& at) {
    HKEY k;
    std::string path = "Software\\ZelbrTests\\Module\\" + base;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &k, nullptr) != ERROR_SUCCESS)
        return;
    std::string line = ReadText(k, "Timeline") + kind + ":" + std::to_string(at.QuadPart) + ";";
    RegSetValueExA(k, "Timeline", 0, REG_SZ, reinterpret_cast<const BYTE*>(line.c_str()),
                   DWORD(line.size() + 1));
    RegCloseKey(k);
}

void Post(const zb::Place& place, WPARAM code) {
    zb::Handover h;
    if (zb::ReadHandover(place, &h) && h.window) PostMessageA(h.window, zb::kEndMessage, code, 0);
}

bool WriteRecordBytes(const zb::Place& place, const void* data, DWORD size) {
    HKEY k;
    DWORD disp;
    std::string path = place.root + "\\" + zb::kBenchKey + "\\" + place.base;
    if (RegCreateKeyExA(place.hive, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, &disp) !=
        ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(k, "Result", 0, REG_BINARY, static_cast<const BYTE*>(data), size) ==
              ERROR_SUCCESS;
    RegFlushKey(k);
    RegCloseKey(k);
    return ok;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    QueryPerformanceCounter(&g_started);
    zb::Place place = zb::DefaultPlace();
    Settings s = Prepare(place);
    Mark(place.base, 'S', g_started);
    g_value = s.value;
    g_delayMs = s.delayMs;
    const std::string& b = s.behaviour;

    if (b == "early") {
        Post(place, zb::kEndAborted);
        return 1;
    }
    if (b == "crash") {
        // A real access violation, at an address the compiler cannot see.
        volatile uintptr_t address = 0;
        *reinterpret_cast<volatile int*>(address) = 1;
        return 3;
    }
    if (b == "never") {
        DWORD start = GetTickCount();
        while (!zb::SuspensionRequested(place) && GetTickCount() - start < 60000) Sleep(20);
        return 4;
    }
    zb::Handover h;
    if (b == "twice") {
        if (!zb::ReadHandover(place, &h) || !zb::StoreRun(place, h.count, s.value, s.reference)) {
            Post(place, zb::kEndFailed);
            return 2;
        }
        Post(place, zb::kEndCompleted);
        Post(place, zb::kEndCompleted);
        return 0;
    }
    if (b == "malformed") {
        uint8_t forty[40] = {};
        forty[0] = 1;
        WriteRecordBytes(place, forty, sizeof forty);
        Post(place, zb::kEndCompleted);
        return 0;
    }
    if (b == "badsum") {
        zb::Record r;
        if (!zb::ReadHandover(place, &h) || !zb::StoreRun(place, h.count, s.value, s.reference) ||
            !zb::ReadRecord(place, &r)) {
            Post(place, zb::kEndFailed);
            return 2;
        }
        r.checkSum += 1;
        uint8_t bytes[zb::kRecordBytes];
        zb::RecordToBytes(r, bytes);
        WriteRecordBytes(place, bytes, sizeof bytes);
        Post(place, zb::kEndCompleted);
        return 0;
    }
    if (b == "wait") return zb::RunModule(place, s.reference, WaitThenGiveValue);
    if (b == "linger") {
        int code = zb::RunModule(place, s.reference, GiveValue);
        Sleep(s.delayMs);
        Mark(place.base, 'X', g_started);  // gone now
        return code;
    }
    if (b == "deaf") {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        char cmd[] = "notepad.exe";
        if (CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            HKEY k;
            std::string path = "Software\\ZelbrTests\\Module\\" + place.base;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                                nullptr) == ERROR_SUCCESS) {
                RegSetValueExA(k, "ChildPid", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&pi.dwProcessId),
                               sizeof pi.dwProcessId);
                RegCloseKey(k);
            }
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        Sleep(60000);
        return 4;
    }
    if (b == "normal") {
        // By hand rather than through the library, to note the moment of posting.
        if (!zb::ReadHandover(place, &h) || h.count >= 10 ||
            !zb::StoreRun(place, h.count, s.value, s.reference)) {
            Post(place, zb::kEndFailed);
            return 2;
        }
        LARGE_INTEGER posting;
        QueryPerformanceCounter(&posting);
        Mark(place.base, 'P', posting);
        Post(place, zb::kEndCompleted);
        return 0;
    }
    return zb::RunModule(place, s.reference, GiveValue);
}
