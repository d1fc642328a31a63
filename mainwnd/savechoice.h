// The platform's save dialog closes without a file both when the user
// cancels and when it refuses the name typed (too long for the path buffer,
// or only spaces, which Wine and Windows report as a buffer too small).
// The second must be said, or the command looks as if it had saved.
#pragma once
#include <windows.h>
#include <cderr.h>
#include <commdlg.h>

#include "framework/filedlg.h"

#include <string>

// Empty after a cancel; otherwise the message that says why nothing was saved.
inline std::string SaveDialogRefusal() {
    switch (filedlg::LastError()) {
        case 0:
            return std::string();
        case FNERR_BUFFERTOOSMALL:
        case FNERR_INVALIDFILENAME:
            return "ファイル名が長すぎるか、正しくありません。\n保存できませんでした。";
        default:
            return "ファイルを選べませんでした。\n保存できませんでした。";
    }
}
