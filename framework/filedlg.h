// The open and save dialogs. comdlg32 brings the shell's libraries with it,
// so it is loaded when a dialog is first asked for, not with the program.
#pragma once
#include <windows.h>
#include <commdlg.h>

namespace filedlg {
BOOL Save(OPENFILENAMEA* ofn);
BOOL Open(OPENFILENAMEA* ofn);
// As CommDlgExtendedError; CDERR_INITIALIZATION when comdlg32 cannot be had.
DWORD LastError();
}  // namespace filedlg
