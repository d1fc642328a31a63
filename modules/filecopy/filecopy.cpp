// File copying with XCOPY: creates a folder tree of files of mixed sizes
// under %TEMP%, copies it once, then times xcopy.exe refreshing that copy
// from the tree (/E /I /Q /Y: every file copied over its old copy), as a
// backup would. Between passes every original gets a new stamp, and every
// copy must carry it before the pass counts. Everything is removed at the
// end. (Copying into a fresh folder each pass was tried: creating and
// deleting hundreds of files a second lets the host's file system, not the
// copy, set the pace, and the times drift.) The run value is the passes'
// TypicalTotal (zbmodule.h).
#include <cstdio>
#include <string>
#include <vector>

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
constexpr uint32_t kReference = 7520000;
#else
constexpr uint32_t kReference = 2023400;
#endif

constexpr uint32_t kPasses = 42;
constexpr int kFolders = 2;
constexpr int kFilesPerFolder = 15;

struct File {
    std::string rel;
    std::string bytes;  // the first four are the pass stamp
};

// Sizes from 8 KB to 33 KB, content that differs per file. Fewer, larger
// files than a typical folder: per-file work on the host file system varies
// far more from pass to pass than copying the bytes does.
std::vector<File> Files() {
    std::vector<File> files;
    uint32_t seed = 12345;
    for (int d = 0; d < kFolders; ++d)
        for (int f = 0; f < kFilesPerFolder; ++f) {
            char rel[64];
            std::snprintf(rel, sizeof rel, "DIR%d\\FILE%03d.DAT", d, f);
            size_t size = 8192u << (f % 3);
            if (f % 5 == 0) size += 1000;
            std::string bytes(size, '\0');
            for (char& c : bytes) {
                seed = seed * 1103515245u + 12345u;
                c = char(seed >> 24);
            }
            files.push_back({rel, bytes});
        }
    return files;
}

// Writes the pass number into the first bytes of every original, in place,
// and through to the disk before the copy is timed.
bool Stamp(const std::string& src, std::vector<File>& files, uint32_t pass) {
    for (File& f : files) {
        for (int i = 0; i < 4; ++i) f.bytes[i] = char(pass >> (8 * i));
        HANDLE h = CreateFileA((src + f.rel).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                               nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        bool ok = WriteFile(h, f.bytes.data(), 4, &written, nullptr) && written == 4 &&
                  FlushFileBuffers(h);
        CloseHandle(h);
        if (!ok) return false;
    }
    return true;
}

// Also writes the copies through to the disk: left to the system, that
// happens whenever it sees fit, often in the middle of the next timed copy.
bool CopiesMatch(const std::string& dst, const std::vector<File>& files) {
    std::string got;
    for (const File& f : files) {
        if (!zb::ReadFileBytes(dst + f.rel, &got) || got != f.bytes) return false;
        HANDLE h = CreateFileA((dst + f.rel).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        FlushFileBuffers(h);
        CloseHandle(h);
    }
    return true;
}

// One xcopy of the tree; the check afterwards is off the clock.
bool Copy(zb::Run& run, const std::string& xcopy, const std::string& src, const std::string& dst,
          const std::vector<File>& files) {
    zb::Process* p = run.Launch(xcopy + " " + src + "*.* " + dst + " /E /I /Q /Y", SW_HIDE,
                                zb::HiddenConsoleFlags(xcopy));
    if (!p || !run.WaitExit(*p)) return false;
    run.StopClock();
    bool same = CopiesMatch(dst, files);
    run.StartClock();
    return same || run.Fail("the copies differ from the originals");
}

// XCOPY on the search path, or where Windows 95 and 98 keep it.
std::string FindXcopy() {
    std::string xcopy = zb::FindProgram("xcopy.exe");
    if (xcopy.empty() && zb::FileExists(zb::WindowsDir() + "COMMAND\\XCOPY.EXE"))
        xcopy = zb::WindowsDir() + "COMMAND\\XCOPY.EXE";
    return xcopy;
}

bool Measure(zb::Run& run) {
    std::string xcopy = FindXcopy();
    if (xcopy.empty()) return run.Fail("xcopy.exe not found");
    // Short names throughout: the XCOPY of Windows 9x is a DOS program.
    xcopy = zb::ShortPath(xcopy);
    std::string root = zb::TempDir() + "ZBCOPY\\";
    std::string src = root + "SRC\\", dst = root + "DST\\";
    std::vector<File> files = Files();
    bool ok = zb::MakeCleanDir(root) && zb::MakeCleanDir(src);
    for (int d = 0; ok && d < kFolders; ++d) ok = zb::MakeCleanDir(src + "DIR" + std::to_string(d));
    for (const File& f : files)
        if (ok) ok = zb::WriteFileBytes(src + f.rel, f.bytes);
    if (!ok) run.Fail("cannot write the files to copy");
    if (ok) {
        src = zb::ShortPath(src);
        if (src.back() != '\\') src += '\\';
    }
    // The first copy, untimed, makes the folders and brings xcopy's own
    // files into the cache; more untimed copies in the first run of a
    // measurement, which meets everything cold.
    ok = ok && Stamp(src, files, 0) && Copy(run, xcopy, src, dst, files);
    if (ok) {
        dst = zb::ShortPath(dst);
        if (dst.back() != '\\') dst += '\\';
    }
    for (uint32_t i = 1; ok && run.Index() == 0 && i < 3; ++i)
        ok = Stamp(src, files, 1000 + i) && Copy(run, xcopy, src, dst, files);
    ok = ok && run.TimePasses(kPasses, [&](uint32_t i) {
             run.StopClock();
             bool stamped = Stamp(src, files, i + 1);
             run.StartClock();
             return (stamped || run.Fail("cannot stamp the originals")) &&
                    Copy(run, xcopy, src, dst, files);
         });
    run.EndAll();
    zb::RemoveTree(root);
    return ok;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return zb::Main(kReference, Measure);
}
