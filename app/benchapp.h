// CBenchApp: platform check, single instance, then the main dialog.
#pragma once
#include "framework/winapp.h"

extern const char kInstanceMutexName[];

class CBenchApp : public CWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    HANDLE m_hMutex = nullptr;
    OSVERSIONINFOA m_osvi{};
};
