#include "framework/winapp.h"

CWinApp* CWinApp::s_app = nullptr;

CWinApp::CWinApp() { s_app = this; }
CWinApp::~CWinApp() {
    if (s_app == this) s_app = nullptr;
}

void CWinApp::Setup(HINSTANCE instance) {
    m_hInstance = instance;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(instance, path, sizeof path);
    m_exePath = path;
    m_title = TitleFor(m_exePath);
    m_programDir = m_exePath.substr(0, AfterLastSeparator(m_exePath));
    m_helpPath = HelpPathFor(m_exePath);
}

int CWinApp::Run() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    m_exitCode = static_cast<int>(msg.wParam);
    return ExitInstance();
}

size_t AfterLastSeparator(const std::string& path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        // The second byte of a double-byte character may look like a backslash.
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i]))) {
            ++i;
            continue;
        }
        if (path[i] == '\\' || path[i] == '/') start = i + 1;
    }
    return start;
}

std::string HelpPathFor(const std::string& exePath) {
    std::string::size_type dot = exePath.rfind('.');
    size_t base = AfterLastSeparator(exePath);
    std::string::size_type slash = base == 0 ? std::string::npos : base - 1;
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return exePath + ".HLP";
    return exePath.substr(0, dot) + ".HLP";
}

std::string TitleFor(const std::string& exePath) {
    std::string base = exePath.substr(AfterLastSeparator(exePath));
    std::string::size_type dot = base.rfind('.');
    return dot == std::string::npos ? base : base.substr(0, dot);
}

int AppMessageBox(HWND owner, const std::string& text, UINT type) {
    CWinApp* app = CWinApp::Get();
    return MessageBoxA(owner, text.c_str(), app ? app->m_title.c_str() : "", type);
}

std::string LoadResString(UINT id) {
    char buf[512] = {};
    CWinApp* app = CWinApp::Get();
    LoadStringA(app ? app->m_hInstance : GetModuleHandleA(nullptr), id, buf, sizeof buf);
    return buf;
}
