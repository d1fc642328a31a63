// The process of one module launch, held in a job object where the platform
// has them (Windows 95 has none) so that ending it also ends the
// applications it started.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "run/measurement.h"

namespace run {

class ModuleProcess {
public:
    ModuleProcess() = default;
    ~ModuleProcess() { Release(); }
    ModuleProcess(const ModuleProcess&) = delete;
    ModuleProcess& operator=(const ModuleProcess&) = delete;

    // No command line, the program's environment and directory.
    bool Start(const std::string& path);
    ModuleState Poll() const;
    // Ends the module and every process it started.
    void End();
    void Release();
    bool InJob() const { return m_job != nullptr; }

private:
    HANDLE m_process = nullptr;
    HANDLE m_job = nullptr;  // null where the module could not be put in one
    DWORD m_pid = 0;
    // Processes that ran before the launch: a process id is reused, so an
    // older process whose long-gone parent had the module's id is no child.
    std::vector<DWORD> m_before;
};

}  // namespace run
