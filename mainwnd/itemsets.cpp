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
    return save ? GetSaveFileNameA(&ofn) != FALSE : GetOpenFileNameA(&ofn) != FALSE;
}

// The whole file, or false when it cannot be read or is too large to be one.
bool ReadWhole(const char* path, std::vector<uint8_t>* bytes) {
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD high = 0;
    DWORD size = GetFileSize(f, &high);
    bool ok = size != INVALID_FILE_SIZE && high == 0 && size <= items::kMaxItemSetFile;
    if (ok) {
        bytes->resize(size);
        DWORD got = 0;
        ok = bytes->empty() || (ReadFile(f, bytes->data(), static_cast<DWORD>(bytes->size()), &got, nullptr) &&
                                got == bytes->size());
    }
    CloseHandle(f);
    return ok;
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
    if (!ReadWhole(path, &bytes)) {
        MessageBox(std::string(path) + "\nを読み込めませんでした。", MB_ICONEXCLAMATION);
        return;
    }
    // Every line is checked before any is applied: a refused file changes nothing.
    items::ItemSetFile set = items::ParseItemSet(bytes, items::RootKeyName());
    if (!set.ok) {
        std::string where;
        if (set.line > 0) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "(%d 行目)", set.line);
            where = buf;
        }
        MessageBox(std::string(path) + "\nは読み込みませんでした。\n" + set.reason + where, MB_ICONEXCLAMATION);
        return;
    }
    if (!items::ApplyItemSet(m_hRootKey, set.changes))
        MessageBox("測定項目の一部を書き込めませんでした。", MB_ICONEXCLAMATION);
    AssignItemButtons(true);
    ShowOverallScore();
    if (m_options.displayMode == 0) ApplyLayout();
}
