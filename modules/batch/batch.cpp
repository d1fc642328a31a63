// A batch job in the system's command interpreter (COMMAND.COM on Windows
// 95 and 98, CMD.EXE on NT and under Wine): writes two batch files into a
// work folder under %TEMP%, then times the interpreter running the job
// (FOR loops, calls of a second batch file with arguments, variables built
// up from them, file appends, copying, joining two files, typing and
// deleting). Every step leaves a trace that is checked off the clock: the
// record of the calls, each line the loops wrote, the joined file, the copy
// gone again. A job that skipped a step would be a lighter one than the
// reference was taken with, so the run ends early.
// The run value is the jobs' TypicalTotal (zbmodule.h).
#include <cstdio>
#include <string>

#include "zbmodule.h"

namespace {

// Measured with scripts/module-bench.sh on the reference machine (the
// development host, 2 processors, the Wine session on one), all six items
// in the same three sessions, so that 10000 means one machine for each:
// the median of the sessions' mean run values, microseconds.
// The x86_64 build runs under Wine's 64-bit loader (hosts that run no
// 32-bit code), which drives the applications at another pace: its own
// reference, from two sessions on such a host (times the workload's
// growth where it grew since).
#ifdef _WIN64
constexpr uint32_t kReference = 4966400;
#else
constexpr uint32_t kReference = 1160300;
#endif

constexpr uint32_t kJobs = 15;
constexpr int kCalls = 24;  // ITEM.BAT calls per job
constexpr int kLines = 10;  // lines each call writes

// Written for both interpreters: COMMAND.COM of Windows 95 and 98 has none
// of CMD.EXE's extensions (no SET /A, no substrings, no CALL :label, no
// FOR /F, no CD /D), so the job keeps to what both know, and the same job
// runs wherever the item runs. CR LF throughout: DOS text. Lines stay short
// for COMMAND.COM's 127-character command line; no digit stands before a
// redirection (CMD.EXE would take it for a handle number).
const char kJob[] =
    "@echo off\r\n"
    "if exist out.txt del out.txt\r\n"
    "if exist out2.txt del out2.txt\r\n"
    "if exist all.txt del all.txt\r\n"
    "set zbn=\r\n"
    "for %%a in (a b c d e f g h) do call ITEM.BAT %%a 0\r\n"
    "for %%a in (a b c d e f g h) do call ITEM.BAT %%a 1\r\n"
    "for %%a in (a b c d e f g h) do call ITEM.BAT %%a 2\r\n"
    "copy out.txt out2.txt >nul\r\n"
    "type out2.txt >nul\r\n"
    "copy /b out.txt+out2.txt all.txt >nul\r\n"
    "del out2.txt\r\n"
    "echo calls %zbn% done>sum.txt\r\n"
    "set zbn=\r\n";

// One call: a variable built from the arguments, ten lines appended from a
// FOR loop, and the call recorded in zbn.
const char kItem[] =
    "@echo off\r\n"
    "set zbl=item%1%2\r\n"
    "for %%b in (0 1 2 3 4 5 6 7 8 9) do echo %zbl%-%%b abcdefghij %1 %%b end>>out.txt\r\n"
    "set zbn=%zbn%%1%2\r\n"
    "set zbl=\r\n";

// What out.txt holds after a job, and what sum.txt says.
std::string ExpectedLines() {
    std::string out;
    for (int c = 0; c < kCalls; ++c) {
        std::string a(1, char('a' + c % 8)), pass(1, char('0' + c / 8));
        for (int b = 0; b < kLines; ++b) {
            std::string n(1, char('0' + b));
            out += "item" + a + pass + "-" + n + " abcdefghij " + a + " " + n + " end\r\n";
        }
    }
    return out;
}

std::string ExpectedSum() {
    std::string sum;
    for (int c = 0; c < kCalls; ++c) sum += std::string(1, char('a' + c % 8)) + char('0' + c / 8);
    return "calls " + sum + " done\r\n";
}

// The system's command interpreter: COMSPEC names it on both families
// (COMMAND.COM on Windows 9x, CMD.EXE on NT and under Wine).
std::string FindInterpreter() {
    char buf[MAX_PATH + 1];
    DWORD n = GetEnvironmentVariableA("COMSPEC", buf, MAX_PATH);
    if (n && n < MAX_PATH && zb::FileExists(buf)) return buf;
    if (zb::Win9x() && zb::FileExists(zb::WindowsDir() + "COMMAND.COM"))
        return zb::WindowsDir() + "COMMAND.COM";
    return zb::FindProgram("cmd.exe");
}

bool IsCommandCom(const std::string& path) {
    size_t n = path.size();
    return n >= 11 && lstrcmpiA(path.c_str() + n - 11, "COMMAND.COM") == 0;
}

bool RunJob(zb::Run& run, const std::string& commandLine, DWORD flags, const std::string& dir,
            const std::string& expectedSum, const std::string& expectedLines) {
    DeleteFileA((dir + "sum.txt").c_str());
    zb::Process* p = run.Launch(commandLine, SW_HIDE, flags, dir.c_str());
    if (!p || !run.WaitExit(*p)) return false;
    run.StopClock();
    std::string sum, lines, both;
    bool summed = zb::ReadFileBytes(dir + "sum.txt", &sum) && sum == expectedSum;
    bool written = zb::ReadFileBytes(dir + "out.txt", &lines) && lines == expectedLines;
    bool joined = zb::ReadFileBytes(dir + "all.txt", &both) && both == expectedLines + expectedLines;
    bool deleted = !zb::FileExists(dir + "out2.txt");
    // Through to the disk now rather than in the middle of the next job.
    for (const char* name : {"out.txt", "sum.txt", "all.txt"}) {
        HANDLE h = CreateFileA((dir + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        FlushFileBuffers(h);
        CloseHandle(h);
    }
    run.StartClock();
    if (!summed) return run.Fail("the batch job did not make all its calls");
    if (!written) return run.Fail("the batch job did not write the lines it should");
    if (!joined) return run.Fail("the batch job did not join its two files");
    if (!deleted) return run.Fail("the batch job did not delete its copy");
    return true;
}

bool Measure(zb::Run& run) {
    std::string shell = FindInterpreter();
    if (shell.empty()) return run.Fail("no command interpreter found");
    std::string dir = zb::TempDir() + "ZBBATCH\\";
    if (!zb::MakeCleanDir(dir) || !zb::WriteFileBytes(dir + "JOB.BAT", kJob) ||
        !zb::WriteFileBytes(dir + "ITEM.BAT", kItem))
        return run.Fail("cannot write the batch files");
    // The job runs in its folder, named in short form. COMMAND.COM gets
    // room for the job's variables: a shell started from Windows has only
    // a little environment to spare.
    std::string commandLine = "\"" + shell + "\" /c JOB.BAT";
    if (IsCommandCom(shell)) commandLine = zb::ShortPath(shell) + " /E:4096 /C JOB.BAT";
    const DWORD flags = zb::HiddenConsoleFlags(shell);
    dir = zb::ShortPath(dir);
    if (dir.empty() || dir.back() != '\\') dir += '\\';
    const std::string sum = ExpectedSum(), lines = ExpectedLines();

    // Untimed jobs first: the interpreter's files are then in the cache
    // (more of them in the first run of a measurement, which meets
    // everything cold).
    bool ok = true;
    for (int i = 0; ok && i < (run.Index() == 0 ? 3 : 1); ++i)
        ok = RunJob(run, commandLine, flags, dir, sum, lines);
    ok = ok && run.TimePasses(kJobs, [&](uint32_t) {
        return RunJob(run, commandLine, flags, dir, sum, lines);
    });
    run.EndAll();
    zb::RemoveTree(dir);
    return ok;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return zb::Main(kReference, Measure);
}
