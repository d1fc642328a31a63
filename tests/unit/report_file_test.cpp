// Saving the report over an older one: at every point where the save can
// stop (a kill, a power cut), the file's name holds either the old report
// whole or the new one whole, and a finished save leaves nothing beside it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "framework/kernelproc.h"
#include "mainwnd/report.h"
#include "temp_dir.h"

namespace {

std::string Read(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    std::string s(1 << 20, '\0');
    DWORD got = 0;
    ReadFile(f, &s[0], static_cast<DWORD>(s.size()), &got, nullptr);
    CloseHandle(f);
    s.resize(got);
    return s;
}

int FilesIn(const std::string& dir) {
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &f);
    int n = 0;
    if (h == INVALID_HANDLE_VALUE) return 0;
    do
        if (!(f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
    while (FindNextFileA(h, &f));
    FindClose(h);
    return n;
}

// Windows 95: no MoveFileExA at all, or one that is not implemented.
FARPROC NoMoveFileEx(const char* name) {
    return std::strcmp(name, "MoveFileExA") == 0 ? nullptr : KernelFunction(name);
}
BOOL WINAPI MoveFileExNotImplemented(LPCSTR, LPCSTR, DWORD) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}
FARPROC StubMoveFileEx(const char* name) {
    return std::strcmp(name, "MoveFileExA") == 0 ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(MoveFileExNotImplemented))
                                                  : KernelFunction(name);
}

const std::string kOld = "old report\r\n" + std::string(5000, 'o');
const std::string kNew = "new report\r\n" + std::string(7000, 'n');

class ReportFile : public ::testing::TestWithParam<KernelProc> {
protected:
    void SetUp() override { SetKernelResolver(GetParam()); }
    void TearDown() override { SetKernelResolver(nullptr); }
};

void WriteOld(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n;
    WriteFile(f, kOld.data(), static_cast<DWORD>(kOld.size()), &n, nullptr);
    CloseHandle(f);
}

}  // namespace

TEST_P(ReportFile, StoppedAfterAnyStepTheNameHoldsOneWholeReport) {
    int steps = 0;
    {
        TempDir dir;
        const std::string path = dir.path + "report.txt";
        WriteOld(path);
        EXPECT_TRUE(report::ReplaceFileBytes(path, kNew, [&](int) { return ++steps, true; }));
        EXPECT_EQ(Read(path), kNew);
        EXPECT_EQ(FilesIn(dir.path), 1) << "nothing left beside it";
    }
    ASSERT_GE(steps, 2);
    for (int stopAfter = 1; stopAfter <= steps; ++stopAfter) {
        TempDir dir;
        const std::string path = dir.path + "report.txt";
        WriteOld(path);
        int step = 0;
        report::ReplaceFileBytes(path, kNew, [&](int) { return ++step < stopAfter; });
        std::string now = Read(path);
        // Between the two moves without a replacing rename the name is
        // empty, but both reports lie whole beside it.
        if (now == "<missing>") {
            EXPECT_EQ(FilesIn(dir.path), 2) << "stopped after step " << stopAfter;
            continue;
        }
        EXPECT_TRUE(now == kOld || now == kNew) << "stopped after step " << stopAfter << ": " << now.size()
                                                << " bytes";
    }
}

TEST_P(ReportFile, NewFileAndAFileThatCannotBeReplacedKeepsItsBytes) {
    TempDir dir;
    const std::string path = dir.path + "new.txt";
    EXPECT_TRUE(report::ReplaceFileBytes(path, kNew));
    EXPECT_EQ(Read(path), kNew);
    // Held open by another program without sharing.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(report::ReplaceFileBytes(path, kOld));
    CloseHandle(held);
    EXPECT_EQ(Read(path), kNew);
    EXPECT_EQ(FilesIn(dir.path), 1) << "the attempt left nothing beside it";
    // A directory that does not exist.
    EXPECT_FALSE(report::ReplaceFileBytes(dir.path + "none\\r.txt", kNew));
    // Double-byte names whose second byte is a backslash ("表" is 0x95 0x5C).
    const std::string japanese = dir.path + "表計算.txt";
    EXPECT_TRUE(report::ReplaceFileBytes(japanese, kNew));
    EXPECT_EQ(Read(japanese), kNew);
}

INSTANTIATE_TEST_SUITE_P(Platforms, ReportFile,
                         ::testing::Values(static_cast<KernelProc>(nullptr), &NoMoveFileEx, &StubMoveFileEx));
