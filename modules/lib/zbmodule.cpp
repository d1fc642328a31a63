#include "zbmodule.h"

#include <algorithm>
#include <cstring>

namespace zb {

// ---------------------------------------------------------------------------
// Record arithmetic. Every sum wraps at 2^32 on purpose: that is the format.

uint32_t RecordRunSum(const Record& r) {
    uint32_t sum = 0;
    for (uint32_t v : r.values) sum += v;
    return sum;
}

uint32_t RecordCheckSum(const Record& r) {
    return r.runsStored + r.reference + RecordRunSum(r) + r.runSum;
}

bool RecordValid(const Record& r) {
    return r.reference != 0 && r.runsStored <= kMaxRuns && r.runSum == RecordRunSum(r) &&
           r.checkSum == RecordCheckSum(r);
}

void RecordSeal(Record& r) {
    r.runSum = RecordRunSum(r);
    r.checkSum = RecordCheckSum(r);
}

std::string RecordGap(const Record& r, uint32_t run, uint32_t reference) {
    if (run == 0) return "";
    if (!RecordValid(r)) return "no valid record of the runs before run " + std::to_string(run);
    if (r.reference != reference)
        return "the runs before run " + std::to_string(run) +
               " were measured against another reference";
    if (r.runsStored < run)
        return "run " + std::to_string(run) + " asked for, but the record holds only " +
               std::to_string(r.runsStored) + " run(s)";
    return "";
}

bool RecordStore(Record& r, uint32_t run, uint32_t value, uint32_t reference) {
    if (run >= kMaxRuns || reference == 0 || !RecordGap(r, run, reference).empty()) return false;
    if (run == 0) r = Record();
    r.reference = reference;
    r.values[run] = value;
    if (r.runsStored < run + 1) r.runsStored = run + 1;
    RecordSeal(r);
    return true;
}

uint32_t TypicalTotal(const std::vector<uint64_t>& passUs) {
    if (passUs.empty()) return 0;
    std::vector<uint64_t> v = passUs;
    std::sort(v.begin(), v.end());
    size_t n = v.size(), kept = (n + 3) / 4;
    uint64_t sum = 0;
    for (size_t i = 0; i < kept; ++i) sum += v[i];
    uint64_t total = (sum * n + kept / 2) / kept;  // rounded
    return total > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(total);
}

namespace {

void PutU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

void RecordToBytes(const Record& r, uint8_t out[kRecordBytes]) {
    PutU32(out, r.runsStored);
    PutU32(out + 4, r.reference);
    for (uint32_t i = 0; i < kMaxRuns; ++i) PutU32(out + 8 + 4 * i, r.values[i]);
    PutU32(out + 48, r.runSum);
    PutU32(out + 52, r.checkSum);
}

bool RecordFromBytes(const void* data, size_t size, Record* r) {
    *r = Record();
    if (!data || size != kRecordBytes) return false;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    r->runsStored = GetU32(p);
    r->reference = GetU32(p + 4);
    for (uint32_t i = 0; i < kMaxRuns; ++i) r->values[i] = GetU32(p + 8 + 4 * i);
    r->runSum = GetU32(p + 48);
    r->checkSum = GetU32(p + 52);
    return true;
}

// ---------------------------------------------------------------------------
// Registry.

std::string BaseNameOf(const std::string& path) {
    // Walk by characters: a CP932 trail byte can look like a backslash.
    size_t nameStart = 0;
    for (size_t i = 0; i < path.size();) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsDBCSLeadByte(c) && i + 1 < path.size()) {
            i += 2;
            continue;
        }
        ++i;
        if (c == '\\' || c == '/' || c == ':') nameStart = i;
    }
    std::string name = path.substr(nameStart);
    return name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
}

std::string ModuleBaseName() {
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return BaseNameOf(std::string(path, n < MAX_PATH ? n : MAX_PATH));
}

Place DefaultPlace() {
    Place p;
    p.base = ModuleBaseName();
    return p;
}

namespace {

std::string HandoverPath(const Place& place) {
    return place.root + "\\" + kHandoverKey;
}
std::string RecordPath(const Place& place) {
    return place.root + "\\" + kBenchKey + "\\" + place.base;
}

bool QueryDword(HKEY key, const char* name, DWORD* out) {
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        size != sizeof value)
        return false;
    *out = value;
    return true;
}

}  // namespace

bool ReadHandover(const Place& place, Handover* out) {
    HKEY key;
    if (RegOpenKeyExA(place.hive, HandoverPath(place).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD count = 0, window = 0;
    bool ok = QueryDword(key, "Count", &count) && QueryDword(key, "hWnd", &window);
    RegCloseKey(key);
    if (ok) {
        out->count = count;
        out->window = reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
    }
    return ok;
}

bool SuspensionRequested(const Place& place) {
    HKEY key;
    if (RegOpenKeyExA(place.hive, HandoverPath(place).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD v = 0;
    bool stop = QueryDword(key, "Suspension", &v) && v == 1;
    RegCloseKey(key);
    return stop;
}

bool ReadRecord(const Place& place, Record* r) {
    *r = Record();
    HKEY key;
    if (RegOpenKeyExA(place.hive, RecordPath(place).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    uint8_t buf[kRecordBytes + 8];
    DWORD size = sizeof buf;
    bool ok = RegQueryValueExA(key, "Result", nullptr, nullptr, buf, &size) == ERROR_SUCCESS &&
              RecordFromBytes(buf, size, r);
    RegCloseKey(key);
    return ok;
}

bool StoreRun(const Place& place, uint32_t run, uint32_t value, uint32_t reference) {
    if (place.base.empty()) return false;
    HKEY key;
    DWORD disp;
    if (RegCreateKeyExA(place.hive, RecordPath(place).c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &key, &disp) != ERROR_SUCCESS)
        return false;
    Record r;
    uint8_t buf[kRecordBytes + 8];
    DWORD size = sizeof buf;
    if (RegQueryValueExA(key, "Result", nullptr, nullptr, buf, &size) != ERROR_SUCCESS ||
        !RecordFromBytes(buf, size, &r))
        r = Record();  // missing or malformed: only run 0 goes in
    bool ok = RecordStore(r, run, value, reference);
    if (ok) {
        RecordToBytes(r, buf);
        ok = RegSetValueExA(key, "Result", 0, REG_BINARY, buf, kRecordBytes) == ERROR_SUCCESS;
        // ZELBR reads the record as soon as our end message arrives.
        RegFlushKey(key);
    }
    RegCloseKey(key);
    return ok;
}

bool DeleteKeyTree(HKEY parent, const std::string& sub) {
    HKEY key;
    if (RegOpenKeyExA(parent, sub.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return RegOpenKeyExA(parent, sub.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS;
    // Always take the first child: indexes shift as children go.
    for (;;) {
        char name[256];
        DWORD len = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (!DeleteKeyTree(key, name)) break;
    }
    RegCloseKey(key);
    return RegDeleteKeyA(parent, sub.c_str()) == ERROR_SUCCESS;
}

bool CopyKeyTree(HKEY fromHive, const std::string& from, HKEY toHive, const std::string& to) {
    HKEY src, dst;
    if (RegOpenKeyExA(fromHive, from.c_str(), 0, KEY_READ, &src) != ERROR_SUCCESS) return false;
    DWORD disp;
    if (RegCreateKeyExA(toHive, to.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &dst,
                        &disp) != ERROR_SUCCESS) {
        RegCloseKey(src);
        return false;
    }
    DWORD subkeys = 0, maxSub = 0, values = 0, maxName = 0, maxData = 0;
    bool ok = RegQueryInfoKeyA(src, nullptr, nullptr, nullptr, &subkeys, &maxSub, nullptr,
                               &values, &maxName, &maxData, nullptr, nullptr) == ERROR_SUCCESS;
    std::vector<char> name(maxName + 2 > 258 ? maxName + 2 : 258);
    std::vector<BYTE> data(maxData + 1);
    for (DWORD i = 0; ok && i < values; ++i) {
        DWORD nameLen = DWORD(name.size()), dataLen = DWORD(data.size()), type = 0;
        LONG r = RegEnumValueA(src, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
        if (r == ERROR_NO_MORE_ITEMS) break;
        ok = r == ERROR_SUCCESS &&
             RegSetValueExA(dst, name.data(), 0, type, data.data(), dataLen) == ERROR_SUCCESS;
    }
    for (DWORD i = 0; ok; ++i) {
        char sub[256];
        DWORD len = sizeof sub;
        LONG r = RegEnumKeyExA(src, i, sub, &len, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS) break;
        ok = r == ERROR_SUCCESS && CopyKeyTree(fromHive, from + "\\" + sub, toHive, to + "\\" + sub);
    }
    RegCloseKey(dst);
    RegCloseKey(src);
    return ok;
}

namespace {

constexpr const char* kKeptRoot = "Software\\Orvane\\Travik\\zelBrKept\\";

bool KeyExists(const std::string& path) {
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

}  // namespace

// The kept copy: "Had" = 1 when the user had the key, its content under "Copy".
KeptSettings::KeptSettings(const char* appKey, const char* name)
    : m_app(appKey), m_kept(std::string(kKeptRoot) + name) {
    if (KeyExists(m_kept)) {
        m_cleared = true;
        Restore();
    }
}

KeptSettings::~KeptSettings() {
    Restore();
}

bool KeptSettings::Clear() {
    if (m_cleared) return true;
    HKEY k;
    DWORD disp;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, m_kept.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                        &disp) != ERROR_SUCCESS)
        return false;
    DWORD had = KeyExists(m_app) ? 1 : 0;
    bool ok = !had || CopyKeyTree(HKEY_CURRENT_USER, m_app, HKEY_CURRENT_USER, m_kept + "\\Copy");
    // "Had" last: a copy without it is an unfinished one, never given back.
    ok = ok && RegSetValueExA(k, "Had", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&had),
                              sizeof had) == ERROR_SUCCESS;
    RegFlushKey(k);
    RegCloseKey(k);
    if (!ok || !DeleteKeyTree(HKEY_CURRENT_USER, m_app)) {
        // Whatever the delete left, a finished copy goes back.
        m_cleared = ok;
        Restore();
        DeleteKeyTree(HKEY_CURRENT_USER, m_kept);
        return false;
    }
    m_cleared = true;
    return true;
}

void KeptSettings::Restore() {
    if (!m_cleared) return;
    HKEY k;
    DWORD had = 0;
    bool known = false;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, m_kept.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS) {
        known = QueryDword(k, "Had", &had);
        RegCloseKey(k);
    }
    if (known) {
        DeleteKeyTree(HKEY_CURRENT_USER, m_app);
        if (had) CopyKeyTree(HKEY_CURRENT_USER, m_kept + "\\Copy", HKEY_CURRENT_USER, m_app);
    }
    DeleteKeyTree(HKEY_CURRENT_USER, m_kept);
    m_cleared = false;
}

// ---------------------------------------------------------------------------
// Run.

namespace {

// Checking "Suspension" on every loop turn would add registry traffic to the
// timed work; a few milliseconds of delay are nothing to a user.
constexpr DWORD kSuspensionCheckMs = 5;

struct FindWindowCtx {
    DWORD pid;
    const char* cls;
    const char* title;
    HWND found;
};

BOOL CALLBACK FindWindowProc(HWND hwnd, LPARAM lp) {
    auto* ctx = reinterpret_cast<FindWindowCtx*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ctx->pid || !IsWindowVisible(hwnd)) return TRUE;
    char buf[256];
    if (ctx->cls && (!GetClassNameA(hwnd, buf, sizeof buf) || lstrcmpiA(buf, ctx->cls) != 0))
        return TRUE;
    if (ctx->title) {
        buf[0] = 0;
        GetWindowTextA(hwnd, buf, sizeof buf);
        if (lstrcmpA(buf, ctx->title) != 0) return TRUE;
    }
    ctx->found = hwnd;
    return FALSE;
}

}  // namespace

Run::Run(const Place& place, uint32_t index) : m_place(place), m_index(index) {
    QueryPerformanceFrequency(&m_freq);
    if (RegOpenKeyExA(m_place.hive, HandoverPath(m_place).c_str(), 0, KEY_READ, &m_handover) !=
        ERROR_SUCCESS)
        m_handover = nullptr;
}

Run::~Run() {
    EndAll();
    if (m_handover) RegCloseKey(m_handover);
}

bool Run::ShouldStop() {
    if (m_aborted || m_failed) return true;
    DWORD now = GetTickCount();
    if (m_checked && now - m_lastCheck < kSuspensionCheckMs) return false;
    m_checked = true;
    m_lastCheck = now;
    DWORD v = 0;
    if (m_handover && QueryDword(m_handover, "Suspension", &v) && v == 1) m_aborted = true;
    return m_aborted;
}

bool Run::Fail(const char* why) {
    if (!m_failed) {
        m_failed = true;
        m_reason = why ? why : "";
        OutputDebugStringA((m_place.base + ": " + m_reason + "\n").c_str());
    }
    return false;
}

void Run::StartClock() {
    if (m_running) return;
    m_running = true;
    QueryPerformanceCounter(&m_start);
}

void Run::StopClock() {
    if (!m_running) return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    m_ticks += uint64_t(now.QuadPart - m_start.QuadPart);
    m_running = false;
}

uint64_t Run::ElapsedUs() const {
    uint64_t ticks = m_ticks;
    if (m_running) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        ticks += uint64_t(now.QuadPart - m_start.QuadPart);
    }
    if (m_freq.QuadPart <= 0) return 0;
    // Split to keep ticks * 1e6 from overflowing on long runs.
    uint64_t f = uint64_t(m_freq.QuadPart);
    return ticks / f * 1000000u + ticks % f * 1000000u / f;
}

uint32_t Run::Value() const {
    if (m_valueSet) return m_value;
    uint64_t us = ElapsedUs();
    return us > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(us);
}

std::string Run::PassTimes() const {
    std::string s;
    for (uint64_t us : m_passes) {
        if (!s.empty()) s += ',';
        s += std::to_string(us);
    }
    return s;
}

bool Run::Tick(DWORD start, DWORD timeoutMs, const char* what) {
    if (ShouldStop()) return false;
    if (GetTickCount() - start >= timeoutMs) {
        Fail((std::string(what) + ": timed out").c_str());
        return false;
    }
    return true;
}

Process* Run::Launch(const std::string& commandLine, WORD show, DWORD flags, const char* dir) {
    if (ShouldStop()) return nullptr;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show;
    PROCESS_INFORMATION pi = {};
    std::string cmd = commandLine;  // CreateProcess may write into it
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, flags | NORMAL_PRIORITY_CLASS,
                        nullptr, dir, &si, &pi)) {
        Fail(("cannot start " + commandLine).c_str());
        return nullptr;
    }
    auto p = std::make_unique<Process>();
    p->handle = pi.hProcess;
    p->thread = pi.hThread;
    p->pid = pi.dwProcessId;
    p->commandLine = commandLine;
    m_processes.push_back(std::move(p));
    return m_processes.back().get();
}

bool Run::WaitIdle(Process& p, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD r = WaitForInputIdle(p.handle, 10);
        if (r == 0) return true;
        if (r == WAIT_FAILED || WaitForSingleObject(p.handle, 0) == WAIT_OBJECT_0)
            return Fail((p.commandLine + ": did not come up").c_str());
        if (!Tick(start, timeoutMs, "start-up")) return false;
    }
}

bool Run::WaitExit(Process& p, DWORD timeoutMs, DWORD* exitCode) {
    DWORD start = GetTickCount();
    for (;;) {
        if (WaitForSingleObject(p.handle, 5) == WAIT_OBJECT_0) {
            if (exitCode) GetExitCodeProcess(p.handle, exitCode);
            return true;
        }
        if (!Tick(start, timeoutMs, "process end")) return false;
    }
}

HWND Run::WaitWindow(const Process& p, const char* className, const char* title, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        FindWindowCtx ctx = {p.pid, className, title, nullptr};
        EnumWindows(FindWindowProc, reinterpret_cast<LPARAM>(&ctx));
        if (ctx.found) return ctx.found;
        if (WaitForSingleObject(p.handle, 0) == WAIT_OBJECT_0) {
            Fail((p.commandLine + ": ended before its window showed").c_str());
            return nullptr;
        }
        if (!Tick(start, timeoutMs, "window")) return nullptr;
        Sleep(2);
    }
}

bool Run::WaitGone(HWND hwnd, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(hwnd); }, "window close", timeoutMs, 2);
}

bool Run::Close(Process& p, HWND mainWindow, DWORD timeoutMs) {
    if (mainWindow) PostMessageA(mainWindow, WM_CLOSE, 0, 0);
    return WaitExit(p, timeoutMs);
}

bool Run::CloseDiscarding(Process& p, HWND mainWindow, DWORD timeoutMs) {
    if (mainWindow) PostMessageA(mainWindow, WM_CLOSE, 0, 0);
    DWORD start = GetTickCount();
    for (;;) {
        if (WaitForSingleObject(p.handle, 20) == WAIT_OBJECT_0) return true;
        if (!Tick(start, timeoutMs, "close")) return false;
        FindWindowCtx ctx = {p.pid, "#32770", nullptr, nullptr};
        EnumWindows(FindWindowProc, reinterpret_cast<LPARAM>(&ctx));
        if (ctx.found && GetDlgItem(ctx.found, IDNO)) PostMessageA(ctx.found, WM_COMMAND, IDNO, 0);
    }
}

bool Run::Pause(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        if (ShouldStop()) return false;
        Sleep(ms < 5 ? ms : 5);
    }
    return !ShouldStop();
}

void Run::EndAll() {
    for (auto& p : m_processes) {
        if (!p->handle) continue;
        if (WaitForSingleObject(p->handle, 0) == WAIT_TIMEOUT) {
            TerminateProcess(p->handle, 1);
            WaitForSingleObject(p->handle, 5000);
        }
        CloseHandle(p->handle);
        CloseHandle(p->thread);
        p->handle = p->thread = nullptr;
    }
    m_processes.clear();
}

// ---------------------------------------------------------------------------

namespace {

// A text value beside the record, for whoever wonders (module_bench prints
// them); ZELBR reads only "Result". Empty text removes the value.
void NoteText(const Place& place, const char* name, const std::string& text) {
    if (place.base.empty()) return;
    HKEY key;
    if (text.empty()) {
        if (RegOpenKeyExA(place.hive, RecordPath(place).c_str(), 0, KEY_WRITE, &key) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(key, name);
            RegCloseKey(key);
        }
        return;
    }
    DWORD disp;
    if (RegCreateKeyExA(place.hive, RecordPath(place).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, &disp) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   DWORD(text.size() + 1));
    RegCloseKey(key);
}

// Why the last launch ended early.
void NoteReason(const Place& place, const std::string& reason) {
    NoteText(place, "Reason", reason);
}

}  // namespace

int RunModule(const Place& place, uint32_t reference, MeasureFn measure) {
    Handover h;
    if (!ReadHandover(place, &h)) {
        // Without "Count" there is no run to store; tell whoever we can.
        HKEY key;
        DWORD window = 0;
        if (RegOpenKeyExA(place.hive, HandoverPath(place).c_str(), 0, KEY_READ, &key) ==
            ERROR_SUCCESS) {
            QueryDword(key, "hWnd", &window);
            RegCloseKey(key);
        }
        if (window)
            PostMessageA(reinterpret_cast<HWND>(static_cast<uintptr_t>(window)), kEndMessage,
                         kEndFailed, 0);
        return int(kEndFailed);
    }
    WPARAM code = kEndCompleted;
    std::string reason, passes;
    Record before;
    ReadRecord(place, &before);  // zeroed when missing or malformed
    if (h.count >= kMaxRuns || reference == 0 || place.base.empty() || !measure) {
        code = kEndFailed;
        reason = "no run to measure";
    } else if (!(reason = RecordGap(before, h.count, reference)).empty()) {
        // Checked before measuring: the run could not be stored anyway.
        code = kEndFailed;
    } else if (SuspensionRequested(place)) {
        code = kEndAborted;
    } else {
        Run run(place, h.count);
        bool ok = measure(run);
        run.StopClock();
        run.EndAll();
        passes = run.PassTimes();
        if (run.Aborted()) {
            code = kEndAborted;
        } else if (!ok || run.Failed()) {
            code = kEndFailed;
            reason = run.FailReason().empty() ? "the measurement gave up" : run.FailReason();
        } else if (run.Value() == 0) {  // nothing timed: a mean of 0 has no score
            code = kEndFailed;
            reason = "nothing was timed";
        } else if (!StoreRun(place, h.count, run.Value(), reference)) {
            code = kEndFailed;
            reason = "cannot store the result";
        }
    }
    if (code == kEndAborted) reason = "aborted";
    NoteReason(place, reason);
    NoteText(place, "Passes", passes);
    if (h.window) PostMessageA(h.window, kEndMessage, code, 0);
    return int(code);
}

int Main(uint32_t reference, MeasureFn measure) {
    return RunModule(DefaultPlace(), reference, measure);
}

// ---------------------------------------------------------------------------
// Files.

namespace {

std::string WithSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir;
}

}  // namespace

bool Win9x() {
    return (GetVersion() & 0x80000000u) != 0;
}

namespace {
ProcLookup g_lookup = nullptr;
FARPROC LookUp(const char* dll, const char* name) {
    if (g_lookup) return g_lookup(dll, name);
    HMODULE module = GetModuleHandleA(dll);
    return module ? GetProcAddress(module, name) : nullptr;
}
}  // namespace

void SetProcLookupForTest(ProcLookup lookup) { g_lookup = lookup; }

bool UnicodeWindow(HWND hwnd) {
    typedef BOOL(WINAPI * Query)(HWND);
    Query query = reinterpret_cast<Query>(reinterpret_cast<void*>(LookUp("user32.dll", "IsWindowUnicode")));
    return query && query(hwnd);
}

std::string ShortPath(const std::string& path) {
    char buf[MAX_PATH + 1];
    DWORD n = GetShortPathNameA(path.c_str(), buf, MAX_PATH);
    return n && n < MAX_PATH ? std::string(buf, n) : path;
}

DWORD HiddenConsoleFlags(const std::string& program) {
    HANDLE f = CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 0;
    unsigned char head[4096];
    DWORD got = 0;
    bool pe = false;
    if (ReadFile(f, head, sizeof head, &got, nullptr) && got >= 64 && head[0] == 'M' &&
        head[1] == 'Z') {
        DWORD at = DWORD(head[0x3C]) | DWORD(head[0x3D]) << 8 | DWORD(head[0x3E]) << 16 |
                   DWORD(head[0x3F]) << 24;
        pe = at <= got - 4 && head[at] == 'P' && head[at + 1] == 'E' && !head[at + 2] &&
             !head[at + 3];
    }
    CloseHandle(f);
    return pe ? CREATE_NO_WINDOW : 0;
}

std::string ProgramFilesDir() {
    char buf[MAX_PATH + 1] = {};
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD size = MAX_PATH, type = 0;
        LONG r = RegQueryValueExA(key, "ProgramFilesDir", nullptr, &type,
                                  reinterpret_cast<BYTE*>(buf), &size);
        RegCloseKey(key);
        if (r == ERROR_SUCCESS && type == REG_SZ && size > 1 && size <= MAX_PATH) {
            buf[size - 1] = 0;
            return WithSlash(buf);
        }
    }
    DWORD n = GetEnvironmentVariableA("ProgramFiles", buf, MAX_PATH);
    if (n && n < MAX_PATH) return WithSlash(std::string(buf, n));
    return "C:\\Program Files\\";
}

std::string TempDir() {
    char buf[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(MAX_PATH, buf);
    return WithSlash(n && n < MAX_PATH ? std::string(buf, n) : std::string("C:\\"));
}

std::string WindowsDir() {
    char buf[MAX_PATH + 1] = {};
    UINT n = GetWindowsDirectoryA(buf, MAX_PATH);
    return WithSlash(n && n < MAX_PATH ? std::string(buf, n) : std::string("C:\\WINDOWS"));
}

std::string SystemDir() {
    char buf[MAX_PATH + 1] = {};
    UINT n = GetSystemDirectoryA(buf, MAX_PATH);
    return WithSlash(n && n < MAX_PATH ? std::string(buf, n) : WindowsDir() + "SYSTEM");
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveTree(const std::string& dir) {
    std::string base = WithSlash(dir);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((base + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, "..")) continue;
            std::string path = base + fd.cFileName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
    return GetFileAttributesA(dir.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool MakeCleanDir(const std::string& dir) {
    RemoveTree(dir);
    return CreateDirectoryA(dir.c_str(), nullptr) != 0;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(f, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(f);
    return ok;
}

std::string FindProgram(const char* name) {
    char path[MAX_PATH + 1];
    char* file = nullptr;
    DWORD n = SearchPathA(nullptr, name, nullptr, MAX_PATH, path, &file);
    return n && n < MAX_PATH ? std::string(path, n) : std::string();
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
    bytes->clear();
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(f, nullptr);
    bool ok = size != INVALID_FILE_SIZE;
    if (ok && size) {
        bytes->resize(size);
        DWORD got = 0;
        ok = ReadFile(f, &(*bytes)[0], size, &got, nullptr) && got == size;
    }
    CloseHandle(f);
    return ok;
}

}  // namespace zb
