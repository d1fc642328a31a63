#include "app/benchapp.h"

#include "mainwnd/maindlg.h"

const char kInstanceMutexName[] = "ORVANEzelBrPrevInstance";

BOOL CBenchApp::InitInstance() {
    m_osvi.dwOSVersionInfoSize = 148;
    if (!GetVersionExA(&m_osvi)) {
        AppMessageBox(nullptr,
                      "GetVersionEx() が正常に実行されませんでした。\n"
                      "アプリケーション ベンチマークの起動を中止します。",
                      MB_ICONSTOP);
        return FALSE;
    }
    if (m_osvi.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS) {
        int answer = AppMessageBox(nullptr, "OS が Windows 95 ではありません。\n起動を中止しますか？",
                                   MB_YESNO | MB_ICONQUESTION);
        if (answer == IDYES) return FALSE;
    }

    // One step, so two copies started together cannot both miss each other:
    // whoever creates the mutex second learns that it exists already.
    SetLastError(ERROR_SUCCESS);
    m_hMutex = CreateMutexA(nullptr, FALSE, kInstanceMutexName);
    DWORD created = GetLastError();
    if (created == ERROR_ALREADY_EXISTS || created == ERROR_ACCESS_DENIED) {
        if (m_hMutex) CloseHandle(m_hMutex);
        m_hMutex = nullptr;
        return FALSE;
    }

    CMainDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CBenchApp::ExitInstance() {
    if (m_hMutex) ReleaseMutex(m_hMutex);
    return CWinApp::ExitInstance();
}
