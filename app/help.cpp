#include "app/help.h"

#include "framework/winapp.h"
#include "help/protocol.h"

namespace {

std::string ProgramDir() {
    if (CWinApp* app = CWinApp::Get(); app && !app->m_programDir.empty()) return app->m_programDir;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p = path;
    return p.substr(0, AfterLastSeparator(p));
}

BOOL CALLBACK CloseViewer(HWND wnd, LPARAM) {
    char cls[64] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    if (lstrcmpA(cls, hlp::kViewerClass) == 0) PostMessageA(wnd, WM_CLOSE, 0, 0);
    return TRUE;
}

}  // namespace

std::string HelpViewerArgs(const std::string& helpPath, UINT command, const char* keyword, HANDLE owner) {
    // Quotes cannot be passed inside a quoted argument.
    if (helpPath.empty() || helpPath.find('"') != std::string::npos) return std::string();
    std::string args = "\"" + helpPath + "\"";
    if (command == HELP_PARTIALKEY) {
        std::string key = keyword ? keyword : "";
        if (key.find('"') != std::string::npos) return std::string();
        // An empty partial key opens the index: the contents here.
        if (!key.empty()) args += " -key \"" + key + "\"";
    } else if (command != HELP_FINDER && command != HELP_CONTENTS) {
        return std::string();
    }
    if (owner) args += " -owner " + std::to_string(reinterpret_cast<UINT_PTR>(owner));
    return args;
}

void AppHelpFile(HWND owner, const std::string& helpPath, UINT command, const char* keyword) {
    (void)owner;
    if (command == HELP_QUIT) {
        // Posted: a busy viewer never holds up the program's exit. A viewer
        // that has no window yet ends by itself with this process.
        EnumWindows(CloseViewer, 0);
        return;
    }
    // The viewer inherits a handle of this process, to end when it ends.
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0);
    std::string args = HelpViewerArgs(helpPath, command, keyword, self);
    // A running viewer gets the request from the new process, which then ends;
    // either way this thread only starts a process and never waits on one.
    std::string exe = ProgramDir() + hlp::kViewerExe;
    std::string cmd = "\"" + exe + "\" " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!args.empty() &&
        CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, self != nullptr, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    if (self) CloseHandle(self);
}

void AppHelp(HWND owner, UINT command, const char* keyword) {
    CWinApp* app = CWinApp::Get();
    std::string path = app && !app->m_helpPath.empty() ? app->m_helpPath : std::string();
    if (path.empty()) {
        char exe[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, exe, sizeof exe);
        path = HelpPathFor(exe);
    }
    AppHelpFile(owner, path, command, keyword);
}

std::string ItemHelpPath(const std::string& programDir, const std::string& itemFile) {
    if (itemFile.size() < 3) return std::string();
    return programDir + itemFile.substr(0, itemFile.size() - 3) + "HLP";
}
