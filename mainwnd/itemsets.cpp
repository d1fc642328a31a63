// The main window's item set commands: save the catalogue to a registry
// file, load one back and show what the catalogue then holds.
#include <windows.h>
#include <commdlg.h>

#include <cstdio>

#include "items/itemset.h"
#include "mainwnd/maindlg.h"
#include "mainwnd/savechoice.h"

namespace {
const char kFilter[] = "ﾚｼﾞｽﾄﾘ ﾌｧｲﾙ(*.REG)\0*.REG\0";

bool ChooseFile(HWND owner, bool save, const char* title, char (&path)[MAX_PATH]) {
    lstrcpyA(path, "qz");
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = "REG";
    ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER | (save ? 0 : OFN_FILEMUSTEXIST);
    return save ? filedlg::Save(&ofn) != FALSE : filedlg::Open(&ofn) != FALSE;
}

enum class Read { kDone, kFailed, kTooLarge };

// The whole file, unless it cannot be read or is too large to be an item set.
Read ReadWhole(const char* path, std::vector<uint8_t>* bytes) {
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return Read::kFailed;
    DWORD high = 0;
    DWORD low = GetFileSize(f, &high);
    Read result = Read::kDone;
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        result = Read::kFailed;
    else if (high || low > items::kMaxItemSetFile)
        result = Read::kTooLarge;
    if (result == Read::kDone) {
        bytes->resize(low);
        DWORD got = 0;
        if (low && (!ReadFile(f, bytes->data(), low, &got, nullptr) || got != low)) result = Read::kFailed;
    }
    CloseHandle(f);
    return result;
}

std::string Refused(const char* path, const std::string& reason, int line) {
    std::string where;
    if (line > 0) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "(%d 行目)", line);
        where = buf;
    }
    return std::string(path) + "\nは読み込みませんでした。\n" + reason + where;
}
}  // namespace

void CMainDlg::OnSaveItem(UINT) {
    char path[MAX_PATH];
    if (!ChooseFile(m_hWnd, true, "測定項目の保存", path)) {
        const std::string refusal = SaveDialogRefusal();
        if (!refusal.empty()) MessageBox(refusal, MB_ICONEXCLAMATION);
        return;
    }
    const std::string text = items::ExportItemSet(m_hRootKey, items::RootKeyName());
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool ok = f != INVALID_HANDLE_VALUE &&
              WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    if (!ok) MessageBox(std::string(path) + "\nに保存できませんでした。", MB_ICONEXCLAMATION);
}

void CMainDlg::OnLoadItem(UINT) {
    char path[MAX_PATH];
    if (!ChooseFile(m_hWnd, false, "測定項目の呼び出し", path)) return;
    std::vector<uint8_t> bytes;
    switch (ReadWhole(path, &bytes)) {
    case Read::kFailed:
        MessageBox(std::string(path) + "\nを読み込めませんでした。", MB_ICONEXCLAMATION);
        return;
    case Read::kTooLarge:
        MessageBox(Refused(path, items::kItemSetTooLarge, 0), MB_ICONEXCLAMATION);
        return;
    case Read::kDone:
        break;
    }
    // Every line is checked, and the whole catalogue built, before the
    // registry changes: a refused file changes nothing.
    items::ItemSetFile set = items::ParseItemSet(bytes, items::RootKeyName());
    if (!set.ok) {
        MessageBox(Refused(path, set.reason, set.line), MB_ICONEXCLAMATION);
        return;
    }
    const bool applied = items::ApplyItemSet(m_hRootKey, set.changes);
    AssignItemButtons(true);
    ShowOverallScore();
    if (m_options.displayMode == 0) ApplyLayout();
    if (applied)
        MessageBox(std::string(path) + "\nから測定項目を呼び出しました。", MB_ICONINFORMATION);
    else
        MessageBox("測定項目を書き込めませんでした。\n測定項目は変わっていません。", MB_ICONEXCLAMATION);
}
