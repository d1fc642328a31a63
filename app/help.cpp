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

}  // namespace

std::string HelpViewerArgs(const std::string& helpPath, UINT command, const char* keyword) {
    // Quotes cannot be passed inside a quoted argument.
    if (helpPath.empty() || helpPath.find('"') != std::string::npos) return std::string();
    std::string args = "\"" + helpPath + "\"";
    if (command == HELP_FINDER || command == HELP_CONTENTS) return args;
    if (command != HELP_PARTIALKEY) return std::string();
    std::string key = keyword ? keyword : "";
    if (key.empty()) return args;  // an empty partial key opens the index: contents here
    if (key.find('"') != std::string::npos) return std::string();
    return args + " -key \"" + key + "\"";
}

void AppHelpFile(HWND owner, const std::string& helpPath, UINT command, const char* keyword) {
    (void)owner;
    if (command == HELP_QUIT) {
        // Posted: a busy viewer never holds up the program's exit.
        if (HWND viewer = FindWindowA(hlp::kViewerClass, nullptr)) PostMessageA(viewer, WM_CLOSE, 0, 0);
        return;
    }
    std::string args = HelpViewerArgs(helpPath, command, keyword);
    if (args.empty()) return;
    // A running viewer gets the request from the new process, which then ends;
    // either way this thread only starts a process and never waits on one.
    std::string exe = ProgramDir() + hlp::kViewerExe;
    std::string cmd = "\"" + exe + "\" " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
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
