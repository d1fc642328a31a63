// A batch job in the command interpreter: writes a batch file into a work
// folder under %TEMP%, then times cmd.exe running it (loops, subroutine
// calls, string slicing and substitution, arithmetic, file writes, reading
// a file back with for /f, copying and deleting). Every step leaves a trace
// that is checked off the clock: the sum read from the copy, each line the
// loop wrote, the copy gone again. A job that skipped a step would be a
// lighter one than the reference was taken with, so the run ends early.
// The run value is the jobs' TypicalTotal (zbmodule.h).
#include <cstdio>
#include <string>

#include "zbmodule.h"

namespace {

// Measured with scripts/module-bench.sh on the reference machine (the
// development host, 2 processors, the Wine session on one): the median
// run value of five to six sessions of ten runs, microseconds.
// The x86_64 build runs under Wine's 64-bit loader (hosts that run no
// 32-bit code), which drives the applications at another pace: its own
// reference, taken the same way from two sessions on an idle host.
#ifdef _WIN64
constexpr uint32_t kReference = 4208800;
#else
constexpr uint32_t kReference = 1571300;
#endif

constexpr uint32_t kJobs = 15;
constexpr int kItems = 80;

// CR LF throughout: the interpreter of the day expects DOS text.
const char kJob[] =
    "@echo off\r\n"
    "setlocal\r\n"
    "cd /d \"%~dp0\"\r\n"
    "if exist out.txt del out.txt\r\n"
    "if exist out2.txt del out2.txt\r\n"
    "set total=0\r\n"
    "for /L %%i in (1,1,%1) do call :item %%i\r\n"
    "copy out.txt out2.txt >nul\r\n"
    "for /f \"tokens=1,2\" %%a in (out2.txt) do set /a total+=%%b\r\n"
    "type out2.txt >nul\r\n"
    "del out2.txt\r\n"
    ">sum.txt echo %total%\r\n"
    "goto :eof\r\n"
    ":item\r\n"
    "set line=item%1-abcdefghijklmnopqrstuvwxyz\r\n"
    "set line=%line:abc=XYZ%\r\n"
    "set part=%line:~2,12%\r\n"
    "set /a sq=%1*%1 %% 97\r\n"
    ">>out.txt echo %part% %1 %sq%\r\n"
    "goto :eof\r\n";

// What the loop writes to out.txt: for each item the slice of its
// substituted line, its number and the number squared modulo 97.
std::string ExpectedLines() {
    std::string out;
    for (int i = 1; i <= kItems; ++i) {
        std::string line = "item" + std::to_string(i) + "-XYZdefghijklmnopqrstuvwxyz";
        out += line.substr(2, 12) + " " + std::to_string(i) + " " + std::to_string(i * i % 97) +
               "\r\n";
    }
    return out;
}

bool RunJob(zb::Run& run, const std::string& cmd, const std::string& dir,
            const std::string& expectedSum, const std::string& expectedLines) {
    DeleteFileA((dir + "sum.txt").c_str());
    zb::Process* p =
        run.Launch("\"" + cmd + "\" /c \"" + dir + "JOB.BAT\" " + std::to_string(kItems), SW_HIDE,
                   CREATE_NO_WINDOW);
    if (!p || !run.WaitExit(*p)) return false;
    run.StopClock();
    std::string sum, lines;
    bool summed = zb::ReadFileBytes(dir + "sum.txt", &sum) && sum == expectedSum;
    bool written = zb::ReadFileBytes(dir + "out.txt", &lines) && lines == expectedLines;
    bool deleted = !zb::FileExists(dir + "out2.txt");
    // Through to the disk now rather than in the middle of the next job.
    for (const char* name : {"out.txt", "sum.txt"}) {
        HANDLE h = CreateFileA((dir + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        FlushFileBuffers(h);
        CloseHandle(h);
    }
    run.StartClock();
    if (!summed) return run.Fail("the batch job did not give its check sum");
    if (!written) return run.Fail("the batch job did not write the lines it should");
    if (!deleted) return run.Fail("the batch job did not delete its copy");
    return true;
}

bool Measure(zb::Run& run) {
    std::string cmd = zb::FindProgram("cmd.exe");
    if (cmd.empty()) return run.Fail("cmd.exe not found");
    std::string dir = zb::TempDir() + "ZBBATCH\\";
    if (!zb::MakeCleanDir(dir) || !zb::WriteFileBytes(dir + "JOB.BAT", kJob))
        return run.Fail("cannot write the batch file");
    char sum[32];
    std::snprintf(sum, sizeof sum, "%d\r\n", kItems * (kItems + 1) / 2);
    const std::string lines = ExpectedLines();

    // One untimed job first: the interpreter's files are then in the cache.
    bool ok = RunJob(run, cmd, dir, sum, lines) &&
              run.TimePasses(kJobs, [&](uint32_t) { return RunJob(run, cmd, dir, sum, lines); });
    run.EndAll();
    zb::RemoveTree(dir);
    return ok;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return zb::Main(kReference, Measure);
}
