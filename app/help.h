// Every help request of the program goes through here, so the viewer can
// change in one place. Commands are the WinHelp ones (HELP_FINDER,
// HELP_PARTIALKEY with a keyword, HELP_QUIT); our own viewer (ZBHELP.EXE
// beside the program) shows the help file.
#pragma once
#include <windows.h>

#include <string>

// The program's help file.
void AppHelp(HWND owner, UINT command, const char* keyword = nullptr);
// Any help file, an item's for one (HELP_FINDER opens its contents).
void AppHelpFile(HWND owner, const std::string& helpPath, UINT command, const char* keyword = nullptr);
// An item's help file: the item's file name with "HLP" for its last three characters.
std::string ItemHelpPath(const std::string& programDir, const std::string& itemFile);
// The viewer's command line for a request; "" for commands it does not take.
// `owner`: a handle of the program's process that the viewer inherits.
std::string HelpViewerArgs(const std::string& helpPath, UINT command, const char* keyword,
                           HANDLE owner = nullptr);
