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

std::string HelpPathFor(const std::string& exePath) {
    std::string::size_type dot = exePath.rfind('.');
    std::string::size_type slash = exePath.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return exePath + ".HLP";
    return exePath.substr(0, dot) + ".HLP";
}

std::string TitleFor(const std::string& exePath) {
    std::string::size_type slash = exePath.find_last_of("\\/");
    std::string base = slash == std::string::npos ? exePath : exePath.substr(slash + 1);
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
