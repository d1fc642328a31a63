// Every help request of the program goes through here, so the viewer can
// change in one place. Commands are the WinHelp ones (HELP_FINDER,
// HELP_PARTIALKEY with a keyword, HELP_QUIT).
#pragma once
#include <windows.h>

#include <string>

void AppHelp(HWND owner, UINT command, const char* keyword = nullptr);
// An item's own help file (its full path), opened at its contents.
void AppItemHelp(HWND owner, const std::string& helpPath);
