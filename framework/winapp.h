// CWinApp: the one application object; WinMain runs its InitInstance.
#pragma once
#include <windows.h>

#include <string>

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();

    // Returns TRUE to enter the message loop, FALSE to end at once.
    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return m_exitCode; }
    virtual int Run();

    HINSTANCE m_hInstance = nullptr;
    std::string m_exePath;   // full path of the running executable
    std::string m_title;     // its base name: caption of every message box
    std::string m_helpPath;  // executable path with ".HLP" from the last '.'
    std::string m_programDir;  // the executable's directory, with its backslash
    CWnd* m_pMainWnd = nullptr;
    int m_exitCode = 0;

    static CWinApp* Get() { return s_app; }
    // Fills the members above; WinMain calls it before InitInstance.
    void Setup(HINSTANCE instance);

private:
    static CWinApp* s_app;
};

// Message box with the application title as caption.
int AppMessageBox(HWND owner, const std::string& text, UINT type);
// Derives the help path: the text from the last '.' replaced by ".HLP".
std::string HelpPathFor(const std::string& exePath);
// Index just past the last path separator (double-byte aware).
size_t AfterLastSeparator(const std::string& path);
// Base name without extension, as the application title.
std::string TitleFor(const std::string& exePath);
// String table entry; empty when missing.
std::string LoadResString(UINT id);
