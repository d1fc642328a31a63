// Every help request of the program goes through here, so the viewer can
// change in one place. Commands are the WinHelp ones (HELP_FINDER,
// HELP_PARTIALKEY with a keyword, HELP_QUIT).
#pragma once
#include <windows.h>

void AppHelp(HWND owner, UINT command, const char* keyword = nullptr);
