// The main window's report commands: copy to the clipboard, save as text.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "framework/winapp.h"
#include "items/catalogue.h"
#include "mainwnd/maindlg.h"
#include "mainwnd/report.h"
#include "mainwnd/savechoice.h"

std::string CMainDlg::BuildReport() {
    return report::BuildReport(m_hRootKey, m_programDir, m_options.displayMode, m_sysInfo, m_fileVersion,
                               static_cast<uint32_t>(m_options.runCount),
                               [this](const std::string& file) { ShowMissingFile(file); });
}

void CMainDlg::OnClipCopy(UINT) {
    if (m_options.warnClipboard &&
        MessageBox("クリップボードに測定結果\nを転送しますか？", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    const std::string text = BuildReport();
    // Two zero bytes after the text: the clipboard's text ends in one.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 2);
    if (!block) return;
    if (!OpenClipboard(m_hWnd)) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    if (void* p = GlobalLock(block)) {
        std::memcpy(p, text.data(), text.size());
        GlobalUnlock(block);
    }
    if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
    CloseClipboard();
}

void CMainDlg::OnSaveText(UINT) {
    char path[MAX_PATH] = "qz";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = "TXT Files(*.TXT)\0*.TXT\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrTitle = "ﾃｷｽﾄﾌｧｲﾙで保存";
    ofn.lpstrDefExt = "TXT";
    ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER;
    if (!filedlg::Save(&ofn)) {
        const std::string refusal = SaveDialogRefusal();
        if (!refusal.empty()) MessageBox(refusal, MB_ICONEXCLAMATION);
        return;
    }
    // The text first: building it may stop at a message about a missing
    // module, and the old file must not be gone meanwhile.
    const std::string text = BuildReport();
    // A file that cannot be written is said so: closing the dialog without
    // a word would look like a saved report.
    if (!report::ReplaceFileBytes(path, text))
        MessageBox(std::string(path) + "\nに保存できませんでした。", MB_ICONEXCLAMATION);
}
