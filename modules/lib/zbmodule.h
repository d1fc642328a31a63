// zbmodule: what a ZELBR measurement module has to do, in one small library.
//
// A measurement module is a Win32 program (GUI subsystem, no console) named
// <BASE>.BNC in the program directory, next to ZELBR.EXE, with its item
// description file <BASE>.MCR and, optionally, its help file <BASE>.HLP.
// ZELBR starts it without a command line, once per run, and waits for it.
//
// The contract, all under HKEY_CURRENT_USER\Software\Orvane\Travik\zelBr:
//
//   Ini\zelBr  "Count"      REG_DWORD  index of the run about to start, 0..9
//              "hWnd"       REG_DWORD  the window that gets the end message
//              "Suspension" REG_DWORD  0 go on; 1 the user aborted: end early
//
//   Bench\<BASE> "Result"   REG_BINARY 56 bytes, fourteen little-endian
//              uint32 words (see Record below). BASE is the module's own file
//              name without its last four characters (".BNC"), taken from
//              GetModuleFileName, so a renamed copy stores under its new name.
//
//   Run k = "Count": k == 0 starts a fresh record; k > 0 adds to the record
//   already there, which must hold runs 0..k-1 under the same reference (a
//   missing, malformed or short one ends the launch early). The module
//   stores values[k], raises "runs stored" to at least k + 1, recomputes both
//   sums, writes the value and flushes the key. Only then does it post the
//   end message 0x500 to "hWnd", wParam 0, exactly once per launch.
//
//   A module that ends early stores nothing and posts 0x500 with wParam 1 if
//   the user aborted ("Suspension" became 1) or 2 if it could not measure
//   (target missing, a step timed out, "Count" of 10 or more, no record of
//   the earlier runs, a workload step that did not take effect...). This
//   library then also leaves the reason as REG_SZ "Reason" beside "Result"
//   (removed again by the next completed run), and a module that times
//   passes leaves their times as REG_SZ "Passes"; ZELBR reads neither.
//
//   The score is reference / mean(values) * 10000, so values are times:
//   smaller is faster. All bundled modules use microseconds.
//
// Writing a module with this library:
//
//   static bool Measure(zb::Run& run) {
//       zb::Process* app = run.Launch("notepad.exe");
//       if (!app || !run.WaitIdle(*app)) return false;  // ends early
//       HWND main = run.WaitWindow(*app, "Notepad");
//       if (!main) return false;
//       // Ten passes of the same work; the value comes from their times.
//       if (!run.TimePasses(10, [&](uint32_t) { return DoWork(run, main); }))
//           return false;
//       return run.Close(*app, main);
//   }
//   int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
//       return zb::Main(123456, Measure);  // reference value, never 0
//   }
//
// Without TimePasses, StartClock/StopClock around the work make the value.
// zb::Main reads the hand-over values, calls the measure function, stores
// the run and posts the end message, whatever way the function returns.
// Texts are code page 932 (ANSI APIs throughout).
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zb {

constexpr const char* kRootKey = "Software\\Orvane\\Travik\\zelBr";
constexpr const char* kHandoverKey = "Ini\\zelBr";  // below the root
constexpr const char* kBenchKey = "Bench";          // below the root
constexpr UINT kEndMessage = WM_USER + 0x100;       // 0x500
constexpr WPARAM kEndCompleted = 0;
constexpr WPARAM kEndAborted = 1;
constexpr WPARAM kEndFailed = 2;
constexpr uint32_t kMaxRuns = 10;
constexpr DWORD kDefaultTimeoutMs = 30000;

// ---------------------------------------------------------------------------
// The result record, as plain arithmetic (no registry).

struct Record {
    uint32_t runsStored = 0;
    uint32_t reference = 0;  // the item's weight too; never 0 in a valid record
    uint32_t values[kMaxRuns] = {};
    uint32_t runSum = 0;    // sum of the ten values, mod 2^32
    uint32_t checkSum = 0;  // runsStored + reference + the ten values + runSum, mod 2^32
};
constexpr size_t kRecordBytes = 56;

uint32_t RecordRunSum(const Record& r);
uint32_t RecordCheckSum(const Record& r);  // from the stored runSum
// Both sums right, reference not 0, runs stored not above ten.
bool RecordValid(const Record& r);
// Sets both sums from the fields.
void RecordSeal(Record& r);
// Why run `run` cannot go into r: "" when it can. Run 0 always can (it
// starts afresh); a later run needs a valid r with runs 0..run-1 stored
// under the same reference. Filling the gap with zeros would seal a record
// whose mean, and so its score, means nothing.
std::string RecordGap(const Record& r, uint32_t run, uint32_t reference);
// Puts the value of run `run` into r, which holds what was read from the
// registry (all zero when nothing was there). Run 0 starts fresh. False, r
// untouched, when run >= 10, reference is 0 or RecordGap says no.
bool RecordStore(Record& r, uint32_t run, uint32_t value, uint32_t reference);
void RecordToBytes(const Record& r, uint8_t out[kRecordBytes]);
// False (r zeroed) unless size is exactly 56.
bool RecordFromBytes(const void* data, size_t size, Record* r);

// The value of a run timed in passes: the mean of the fastest quarter of
// the pass times (rounded up: one of up to four, two of five to eight...)
// times the number of passes, rounded, capped at 2^32 - 1; 0 without passes.
uint32_t TypicalTotal(const std::vector<uint64_t>& passUs);

// ---------------------------------------------------------------------------
// The registry side. A Place says where the values live, so tests can point
// it at a scratch key; modules use DefaultPlace().

struct Place {
    HKEY hive = HKEY_CURRENT_USER;
    std::string root = kRootKey;
    std::string base;  // module base name: the record is Bench\<base>
};

// "C:\dir\NOTEPAD.BNC" -> "NOTEPAD": file name less its last four characters.
std::string BaseNameOf(const std::string& path);
std::string ModuleBaseName();  // of the running executable
Place DefaultPlace();

struct Handover {
    uint32_t count = 0;
    HWND window = nullptr;
};
// False when "Count" or "hWnd" is missing or not 4 bytes.
bool ReadHandover(const Place& place, Handover* out);
// True when "Suspension" is 1. A missing value counts as 0.
bool SuspensionRequested(const Place& place);
// False when "Result" is missing or not 56 bytes (r zeroed then).
bool ReadRecord(const Place& place, Record* r);
// Read, RecordStore, write 56 bytes, flush. False when nothing was stored.
bool StoreRun(const Place& place, uint32_t run, uint32_t value, uint32_t reference);
// Deletes a key and everything below it; true when it is gone.
bool DeleteKeyTree(HKEY parent, const std::string& sub);

// ---------------------------------------------------------------------------
// One launch of a module, as the measure function sees it.

struct Process {
    HANDLE handle = nullptr;
    HANDLE thread = nullptr;
    DWORD pid = 0;
    std::string commandLine;
};

class Run {
  public:
    Run(const Place& place, uint32_t index);
    ~Run();  // ends what Launch started and is still running
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    uint32_t Index() const { return m_index; }  // "Count"
    const Place& Where() const { return m_place; }

    // True once the user aborted or Fail() was called; long loops check it.
    // Reads "Suspension" at most every few milliseconds.
    bool ShouldStop();
    bool Aborted() const { return m_aborted; }
    bool Failed() const { return m_failed; }
    // Marks the run as not measurable; returns false so callers can
    // `return run.Fail("why");`. The reason goes to OutputDebugString.
    bool Fail(const char* why);
    const std::string& FailReason() const { return m_reason; }

    // Stopwatch over QueryPerformanceCounter. Start/Stop pairs add up, so
    // set-up between timed parts stays out of the value.
    void StartClock();
    void StopClock();
    uint64_t ElapsedUs() const;
    // The run value: the clock's total unless SetValue was called.
    void SetValue(uint32_t value) {
        m_value = value;
        m_valueSet = true;
    }
    uint32_t Value() const;

    // Times `passes` passes of the same work, pass(i) for i = 0..passes-1,
    // each on the clock, and sets the run value to TypicalTotal of the pass
    // times: what the whole workload takes when nothing else gets in its
    // way. Other programs only ever add time, and they hold up stretches of
    // passes, now and then most of a run; the fastest quarter shows the
    // machine. False when a pass returns false or the run is stopped.
    // A pass may stop the clock for checks of its own (and must start it
    // again).
    template <class F>
    bool TimePasses(uint32_t passes, F pass);
    // The same, adding to the passes timed so far in this run (the value
    // then comes from all of them): for work spread over several launches
    // of a program, of which one may run slower all its life.
    template <class F>
    bool TimeMorePasses(uint32_t passes, F pass);
    // The pass times, comma-separated us; "" without TimePasses.
    std::string PassTimes() const;

    // Starts a program (command line as for CreateProcess, the executable
    // found on the search path), in directory dir (null: ours). Owned by
    // the Run; null after Fail().
    Process* Launch(const std::string& commandLine, WORD show = SW_SHOWNORMAL, DWORD flags = 0,
                    const char* dir = nullptr);
    // Until the program waits for input (its window is up).
    bool WaitIdle(Process& p, DWORD timeoutMs = kDefaultTimeoutMs);
    bool WaitExit(Process& p, DWORD timeoutMs = kDefaultTimeoutMs, DWORD* exitCode = nullptr);
    // First visible top-level window of the process with that class and/or
    // title (null = any).
    HWND WaitWindow(const Process& p, const char* className, const char* title = nullptr,
                    DWORD timeoutMs = kDefaultTimeoutMs);
    bool WaitGone(HWND hwnd, DWORD timeoutMs = kDefaultTimeoutMs);
    // Posts WM_CLOSE to the window and waits for the process to end.
    bool Close(Process& p, HWND mainWindow, DWORD timeoutMs = kDefaultTimeoutMs);
    // The same, answering No to a dialog with a No button that the program
    // puts up meanwhile: the "save changes?" prompt.
    bool CloseDiscarding(Process& p, HWND mainWindow, DWORD timeoutMs = kDefaultTimeoutMs);
    // Waits, watching "Suspension"; false when stopped.
    bool Pause(DWORD ms);
    // Polls cond until true; false (Fail with what) on timeout or abort.
    template <class F>
    bool WaitUntil(F cond, const char* what, DWORD timeoutMs = kDefaultTimeoutMs, DWORD stepMs = 1);

    // Ends every launched program that still runs.
    void EndAll();

  private:
    bool Tick(DWORD start, DWORD timeoutMs, const char* what);

    Place m_place;
    uint32_t m_index;
    HKEY m_handover = nullptr;
    DWORD m_lastCheck = 0;
    bool m_checked = false;
    bool m_aborted = false;
    bool m_failed = false;
    std::string m_reason;
    LARGE_INTEGER m_freq = {};
    LARGE_INTEGER m_start = {};
    bool m_running = false;
    uint64_t m_ticks = 0;
    uint32_t m_value = 0;
    bool m_valueSet = false;
    std::vector<uint64_t> m_passes;  // microseconds
    std::vector<std::unique_ptr<Process>> m_processes;
};

template <class F>
bool Run::WaitUntil(F cond, const char* what, DWORD timeoutMs, DWORD stepMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (!Tick(start, timeoutMs, what)) return false;
        Sleep(stepMs);
    }
}

template <class F>
bool Run::TimePasses(uint32_t passes, F pass) {
    m_passes.clear();
    return TimeMorePasses(passes, pass);
}

template <class F>
bool Run::TimeMorePasses(uint32_t passes, F pass) {
    for (uint32_t i = 0; i < passes; ++i) {
        uint64_t before = ElapsedUs();
        StartClock();
        bool ok = pass(i);
        StopClock();
        if (!ok || ShouldStop()) return false;
        m_passes.push_back(ElapsedUs() - before);
    }
    SetValue(TypicalTotal(m_passes));
    return true;
}

using MeasureFn = bool (*)(Run& run);

// The whole launch: reads the hand-over values, runs measure, stores the run
// value under reference and posts the end message. Returns the wParam posted
// (kEndCompleted, kEndAborted, kEndFailed), which is also the exit code.
int RunModule(const Place& place, uint32_t reference, MeasureFn measure);
// RunModule at DefaultPlace(): what a module's WinMain returns.
int Main(uint32_t reference, MeasureFn measure);

// What a driven application remembers in the current user's registry
// (window place, options, recent files), set aside so that every run
// starts the application from its defaults, and put back once it has
// closed. Meanwhile the user's copy waits under zelBrKept\<name> beside
// ZELBR's root, so that a module ended half-way gives it back on its next
// start. Off the clock: call Clear before launching, Restore after closing.
class KeptSettings {
  public:
    // appKey below HKCU, e.g. "Software\\Microsoft\\Notepad"; name names the
    // copy. Gives back a copy left by an earlier launch that did not finish.
    KeptSettings(const char* appKey, const char* name);
    ~KeptSettings();  // Restore()
    KeptSettings(const KeptSettings&) = delete;
    KeptSettings& operator=(const KeptSettings&) = delete;
    // Keeps the user's copy and removes the application's key; false (key
    // untouched) when the copy cannot be made or the key not removed.
    bool Clear();
    // Puts the user's copy back in place of whatever the run left.
    void Restore();

  private:
    std::string m_app, m_kept;
    bool m_cleared = false;
};
// Copies a registry key with its values and subkeys; false when a part of
// it could not be read or written.
bool CopyKeyTree(HKEY fromHive, const std::string& from, HKEY toHive, const std::string& to);

// Small helpers the bundled modules share.
// True on Windows 95 and 98 (and on a Wine that says it is one): the
// platform id of GetVersion, which every Win32 system has.
bool Win9x();
// Whether a window of another program takes wide text. Looked up at run
// time: a USER32 without the query is taken to hold only ANSI windows.
bool UnicodeWindow(HWND hwnd);
// Tests stand in for the run-time lookup (nullptr: the platform's own), to
// see a USER32 that lacks a function.
typedef FARPROC (*ProcLookup)(const char* dll, const char* name);
void SetProcLookupForTest(ProcLookup lookup);
// The short (8.3) form of an existing path, for the programs of the day
// that take no quotes and no long names; the path itself when there is none.
std::string ShortPath(const std::string& path);
// Creation flags that keep a console program's window away: CREATE_NO_WINDOW
// for a Win32 (PE) program; none for a DOS program such as the COMMAND.COM
// and XCOPY of Windows 9x, which the flag does not concern (their window
// is hidden through the show state).
DWORD HiddenConsoleFlags(const std::string& program);
// "Program Files" as the system names it (ProgramFilesDir under HKLM
// ...\CurrentVersion, as Windows 95 keeps it), with a trailing backslash.
std::string ProgramFilesDir();
std::string TempDir();     // %TEMP% with a trailing backslash
std::string WindowsDir();  // with a trailing backslash
std::string SystemDir();   // with a trailing backslash
bool FileExists(const std::string& path);
// Empty directory (wiped first); false on failure.
bool MakeCleanDir(const std::string& dir);
// Deletes a directory tree of plain files; true when gone.
bool RemoveTree(const std::string& dir);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool ReadFileBytes(const std::string& path, std::string* bytes);
// Full path of a program on the search path (e.g. "cmd.exe"); empty if none.
std::string FindProgram(const char* name);

}  // namespace zb
