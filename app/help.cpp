#include "app/help.h"

// No help viewer ships yet. Wine's WinHelp would open an error window for the
// missing file and leave it behind, so requests are dropped for now.
void AppHelp(HWND owner, UINT command, const char* keyword) {
    (void)owner;
    (void)command;
    (void)keyword;
}

void AppItemHelp(HWND owner, const std::string& helpPath) {
    (void)owner;
    (void)helpPath;
}
