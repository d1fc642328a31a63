// Ending a module together with the application it started, with job
// objects and, as on Windows 95, without them.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "framework/kernelproc.h"
#include "run/moduleprocess.h"
#include "temp_dir.h"

using namespace run;

namespace {

const char kBase[] = "ZJOBTEST";
const char kModuleKey[] = "Software\\ZelbrTests\\Module\\ZJOBTEST";

std::string TestBin() {
    char buf[MAX_PATH] = {};
    GetEnvironmentVariableA("ZELBR_TESTBIN", buf, sizeof buf);
    std::string dir = buf;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir;
}

FARPROC NoJobs(const char* name) {
    if (std::strstr(name, "JobObject")) return nullptr;
    return KernelFunction(name);
}
FARPROC NoJobEnd(const char* name) {
    if (std::strcmp(name, "TerminateJobObject") == 0) return nullptr;
    return KernelFunction(name);
}
FARPROC Nothing(const char*) { return nullptr; }

void SetBehaviour(const char* behaviour) {
    HKEY k;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kModuleKey, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(k, "ChildPid");
    RegSetValueExA(k, "Behaviour", 0, REG_SZ, reinterpret_cast<const BYTE*>(behaviour),
                   static_cast<DWORD>(std::strlen(behaviour) + 1));
    RegCloseKey(k);
}

DWORD ChildPid() {
    HKEY k;
    DWORD pid = 0, size = sizeof pid;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kModuleKey, 0, KEY_READ, &k) != ERROR_SUCCESS) return 0;
    if (RegQueryValueExA(k, "ChildPid", nullptr, nullptr, reinterpret_cast<BYTE*>(&pid), &size) != ERROR_SUCCESS)
        pid = 0;
    RegCloseKey(k);
    return pid;
}

class ModuleProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (TestBin().empty()) GTEST_SKIP() << "ZELBR_TESTBIN is not set";
        module_ = dir_.path + kBase + ".BNC";
        ASSERT_TRUE(CopyFileA((TestBin() + "TESTMOD.BNC").c_str(), module_.c_str(), FALSE));
        SetBehaviour("deaf");  // starts notepad.exe, then ignores everything for a minute
    }
    void TearDown() override {
        SetKernelResolver(nullptr);
        RegDeleteKeyA(HKEY_CURRENT_USER, kModuleKey);
    }
    // Starts the module, waits for the application it starts, ends the
    // module and tells whether both are gone.
    void StartAndEnd(bool expectJob) {
        ModuleProcess module;
        ASSERT_TRUE(module.Start(module_));
        EXPECT_EQ(module.InJob(), expectJob);
        DWORD child = 0;
        for (int i = 0; i < 750 && !(child = ChildPid()); ++i) Sleep(20);
        ASSERT_NE(child, 0u) << "the module did not start its application";
        HANDLE app = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, child);
        ASSERT_TRUE(app);
        EXPECT_EQ(module.Poll(), ModuleState::kRunning);
        module.End();
        for (int i = 0; i < 250 && module.Poll() != ModuleState::kExited; ++i) Sleep(20);
        EXPECT_EQ(module.Poll(), ModuleState::kExited);
        bool appGone = WaitForSingleObject(app, 5000) == WAIT_OBJECT_0;
        EXPECT_TRUE(appGone) << "the application it started still runs";
        if (!appGone) TerminateProcess(app, 1);
        CloseHandle(app);
        module.Release();
        EXPECT_EQ(module.Poll(), ModuleState::kNone);
    }
    TempDir dir_;
    std::string module_;
};

}  // namespace

TEST_F(ModuleProcessTest, EndsTheApplicationItStartedThroughTheJob) { StartAndEnd(true); }

TEST_F(ModuleProcessTest, WithoutJobObjectsTheStartedProcessesAreFoundByParentage) {
    SetKernelResolver(NoJobs);
    StartAndEnd(false);
}

TEST_F(ModuleProcessTest, JobThatCannotBeEndedFallsBackToParentage) {
    SetKernelResolver(NoJobEnd);
    StartAndEnd(true);
}

TEST(KernelResolver, FindsWhatThePlatformHasAndNothingElse) {
    EXPECT_TRUE(ResolveKernel("GetFileSize"));
    EXPECT_FALSE(ResolveKernel("NoSuchFunctionAnywhere"));
    SetKernelResolver(Nothing);
    EXPECT_FALSE(ResolveKernel("GetFileSize"));
    SetKernelResolver(nullptr);
    EXPECT_TRUE(ResolveKernel("GetFileSize"));
}
