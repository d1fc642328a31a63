#include "run/moduleprocess.h"

#include <tlhelp32.h>

#include <vector>

#include "framework/kernelproc.h"

namespace run {

namespace {

// Job objects came with Windows NT: looked up, never imported.
using CreateJobObjectFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCSTR);
using AssignProcessToJobObjectFn = BOOL(WINAPI*)(HANDLE, HANDLE);
using TerminateJobObjectFn = BOOL(WINAPI*)(HANDLE, UINT);

HANDLE NewJob() {
    auto create = ResolveKernelAs<CreateJobObjectFn>("CreateJobObjectA");
    return create ? create(nullptr, nullptr) : nullptr;
}

bool PutInJob(HANDLE job, HANDLE process) {
    auto assign = ResolveKernelAs<AssignProcessToJobObjectFn>("AssignProcessToJobObject");
    return assign && assign(job, process);
}

bool EndJob(HANDLE job) {
    auto terminate = ResolveKernelAs<TerminateJobObjectFn>("TerminateJobObject");
    return terminate && terminate(job, 1);
}

std::vector<PROCESSENTRY32> Processes() {
    std::vector<PROCESSENTRY32> all;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return all;
    PROCESSENTRY32 e{};
    e.dwSize = sizeof e;
    for (BOOL ok = Process32First(snap, &e); ok; ok = Process32Next(snap, &e)) all.push_back(e);
    CloseHandle(snap);
    return all;
}

bool Among(const std::vector<DWORD>& ids, DWORD id) {
    for (DWORD i : ids)
        if (i == id) return true;
    return false;
}

// Without a job (a platform without them, or one that does not nest them
// inside the job we run in) the started processes are found by parentage,
// among those that did not run before the launch.
void EndProcessTree(DWORD root, const std::vector<DWORD>& before) {
    const std::vector<PROCESSENTRY32> all = Processes();
    std::vector<DWORD> tree{root};
    for (size_t i = 0; i < tree.size(); ++i)
        for (const PROCESSENTRY32& p : all)
            if (p.th32ParentProcessID == tree[i] && !Among(tree, p.th32ProcessID) && !Among(before, p.th32ProcessID))
                tree.push_back(p.th32ProcessID);
    for (DWORD pid : tree) {
        HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
        if (!h) continue;
        TerminateProcess(h, 1);
        CloseHandle(h);
    }
}

}  // namespace

bool ModuleProcess::Start(const std::string& path) {
    Release();
    m_before.clear();
    for (const PROCESSENTRY32& p : Processes()) m_before.push_back(p.th32ProcessID);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // Suspended until it is in the job, so nothing it starts escapes.
    if (!CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED, nullptr, nullptr, &si,
                        &pi))
        return false;
    m_job = NewJob();
    if (m_job && !PutInJob(m_job, pi.hProcess)) {
        CloseHandle(m_job);
        m_job = nullptr;
    }
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    m_process = pi.hProcess;
    m_pid = pi.dwProcessId;
    return true;
}

ModuleState ModuleProcess::Poll() const {
    if (!m_process) return ModuleState::kNone;
    return WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0 ? ModuleState::kExited : ModuleState::kRunning;
}

void ModuleProcess::End() {
    if (!m_process) return;
    if (!m_job || !EndJob(m_job)) EndProcessTree(m_pid, m_before);
    TerminateProcess(m_process, 1);
}

void ModuleProcess::Release() {
    if (m_process) CloseHandle(m_process);
    if (m_job) CloseHandle(m_job);
    m_process = m_job = nullptr;
    m_pid = 0;
}

}  // namespace run
