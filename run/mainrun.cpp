// The main window's side of a measurement: start, hand-over, the end
// message, repetition, all items, abort, and the scores shown afterwards.
#include "app/settings.h"
#include "framework/regkey.h"
#include "framework/winapp.h"
#include "items/catalogue.h"
#include "mainwnd/maindlg.h"
#include "res/resource.h"
#include "run/protocol.h"
#include "run/rundialogs.h"
#include "run/scores.h"

namespace {

// Watches the module process while a run is under way: a module that dies
// without its end message, or ignores an abort, must not leave the window
// minimised for good.
const UINT_PTR kWatchdogTimer = 0x5A1;
const UINT kWatchdogMs = 500;
const DWORD kAbortGraceMs = 15000;
const DWORD kExitWaitMs = 10000;

void RestoreNormalPriority() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
}

}  // namespace

void CMainDlg::RegistryFailure(const char* operation) {
    MessageBox(std::string(operation) +
                   " 正常にレジストリの操作ができません。\nアプリケーション ベンチマークを終了します。",
               MB_ICONSTOP);
    PostQuitMessage(0);
}

void CMainDlg::PushItemBtn(CItemBtn& button) {
    if (m_options.confirmStart) {
        CConfirmStartDlg confirm(this, m_options.runCount);
        if (confirm.DoModal() == IDCANCEL) return;
    }
    if (!run::WriteHandOver(m_hRootKey, 0, m_hWnd)) {
        RegistryFailure("PushItemBtn()");
        return;
    }
    switch (button.GetKind()) {
        case CItemBtn::kItem:
            if (button.FileName().empty()) return;
            m_allItems = false;
            m_currentItem = button.FileName();
            GetCursorPos(&m_savedCursor);
            LaunchModule(m_currentItem);
            break;
        case CItemBtn::kAllItems:
            m_allItems = true;
            m_walkPosition = 0;
            if (NextSelectedItem(0) < m_options.runCount) {
                GetCursorPos(&m_savedCursor);
                LaunchModule(m_currentItem);
            } else {
                MessageBox("測定項目がありません。", MB_OK);
            }
            break;
        case CItemBtn::kEmpty:
            MessageBox("測定項目が選択されていません。", MB_OK);
            break;
    }
}

void CMainDlg::LaunchModule(const std::string& name) {
    CloseWindow(m_hWnd);
    run::ParkCursor();
    m_running = true;
    m_abortTime = 0;
    WriteSuspension(0);
    std::string path = run::ModulePath(m_programDir, name);
    m_module = path.empty() ? nullptr : run::StartModule(path);
    if (!m_module) {
        MessageBox("測定モジュール\n" + (path.empty() ? name : path) +
                       "\nを起動できませんでした。\n測定を中止します。",
                   MB_OK | MB_ICONSTOP);
        FinishMeasurement();
        return;
    }
    SetTimer(m_hWnd, kWatchdogTimer, kWatchdogMs, nullptr);
}

void CMainDlg::WriteSuspension(DWORD value) {
    if (!run::WriteSuspension(m_hRootKey, value)) RegistryFailure("PushItemBtn()");
}

int CMainDlg::NextSelectedItem(int pass) {
    run::AllItemsWalk walk{m_walkPosition, m_currentItem};
    int result = run::NextSelectedItem(m_hRootKey, m_programDir, static_cast<DWORD>(m_options.runCount), pass, &walk,
                                       [this](const std::string& file) { ShowMissingFile(file); });
    m_walkPosition = walk.position;
    m_currentItem = walk.current;
    return result;
}

// Waits for the module of the run that just ended, so that nothing it might
// still post can be taken for the end of the next run.
void CMainDlg::ReapModule() {
    KillTimer(m_hWnd, kWatchdogTimer);
    if (!m_module) return;
    WaitForSingleObject(m_module, kExitWaitMs);
    CloseHandle(m_module);
    m_module = nullptr;
    // Whatever end message it posted beyond the first is stale now.
    MSG stale;
    while (PeekMessageA(&stale, m_hWnd, run::kEndMessage, run::kEndMessage, PM_REMOVE)) {
    }
}

LRESULT CMainDlg::OnEndBnc(WPARAM wp, LPARAM) {
    ReapModule();
    RegKey key;
    if (!key.Create(m_hRootKey, settings::kIniKey)) {
        RegistryFailure("OnEndBnc()");
        return 0;
    }
    DWORD n = 0;
    if (!key.ReadDword("Count", &n)) {
        RegistryFailure("OnEndBnc()");
        return 0;
    }
    bool finished = false;
    if (!m_running) {
        RestoreNormalPriority();
        MessageBox("測定を中止しました。", MB_OK | MB_SYSTEMMODAL);
        finished = true;
    } else if (wp != 0) {
        MessageBox("測定を中止しました。", MB_OK | MB_SYSTEMMODAL);
        finished = true;
    } else {
        n = m_allItems ? static_cast<DWORD>(NextSelectedItem(static_cast<int>(n))) : n + 1;
        if (n >= static_cast<DWORD>(m_options.runCount)) {
            finished = true;
        } else {
            if (m_options.runNumberMessage && m_options.runCount > 1) {
                CRunCountDlg progress(this, m_currentItem, m_options.runCount, static_cast<int>(n) + 1);
                if (progress.DoModal() == IDCANCEL) {
                    MessageBox("測定を中止します。", MB_OK);
                    finished = true;
                } else if (!m_running) {
                    // Aborted from the system menu while the announcement was up:
                    // no module runs, so no end message will bring the window back.
                    RestoreNormalPriority();
                    finished = true;
                }
            }
            if (!finished) {
                key.WriteDword("Count", n);
                key.Flush();
                LaunchModule(m_currentItem);
            }
        }
    }
    if (finished) FinishMeasurement();
    return 0;
}

void CMainDlg::FinishMeasurement() {
    ReapModule();
    RefreshAllScores();
    OpenIcon(m_hWnd);
    SetCursorPos(m_savedCursor.x, m_savedCursor.y);
    m_running = false;
    m_abortTime = 0;
}

void CMainDlg::AbortRun() {
    MessageBox("測定を中止します。", MB_OK);
    WriteSuspension(1);
    m_running = false;
    m_abortTime = GetTickCount() | 1;
    SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
}

LRESULT CMainDlg::OnTimer(WPARAM wp, LPARAM lp) {
    if (wp == kWatchdogTimer) {
        CheckModule();
        return 0;
    }
    return ::DefWindowProcA(m_hWnd, WM_TIMER, wp, lp);
}

void CMainDlg::CheckModule() {
    if (!m_module) {
        KillTimer(m_hWnd, kWatchdogTimer);
        return;
    }
    MSG pending;
    if (PeekMessageA(&pending, m_hWnd, run::kEndMessage, run::kEndMessage, PM_NOREMOVE)) return;
    bool ended = WaitForSingleObject(m_module, 0) == WAIT_OBJECT_0;
    bool ignoresAbort = m_abortTime && GetTickCount() - m_abortTime > kAbortGraceMs;
    if (!ended && !ignoresAbort) return;
    // Its end message may have been posted just before it ended.
    if (ended && PeekMessageA(&pending, m_hWnd, run::kEndMessage, run::kEndMessage, PM_NOREMOVE)) return;
    KillTimer(m_hWnd, kWatchdogTimer);
    if (!ended) TerminateProcess(m_module, 1);
    RestoreNormalPriority();
    MessageBox("測定モジュール\n" + run::ModulePath(m_programDir, m_currentItem) +
                   (ended ? "\nが終了を知らせずに終了しました。" : "\nが中止の要求に応じません。") +
                   "\n測定を中止しました。",
               MB_OK | MB_ICONSTOP | MB_SYSTEMMODAL);
    FinishMeasurement();
}

// --- scores -------------------------------------------------------------------

int CMainDlg::ItemScore(const std::string& name, uint32_t* reference) {
    return run::ItemScore(m_hRootKey, name, static_cast<uint32_t>(m_options.runCount), reference);
}

int CMainDlg::OverallScore() {
    return run::OverallScore(m_hRootKey, m_programDir, static_cast<uint32_t>(m_options.runCount),
                             [this](const std::string& file) { ShowMissingFile(file); });
}

void CMainDlg::SetScoreTexts(int row, int score, bool repaint) {
    std::string text = run::ScoreText(score);
    m_numLed[row].SetWindowText(text);
    m_levelLed[row].SetWindowText(text);
    if (repaint) {
        m_numLed[row].Invalidate(true);
        m_levelLed[row].Invalidate(true);
    }
}

void CMainDlg::ShowOverallScore() { SetScoreTexts(0, OverallScore(), true); }

void CMainDlg::RefreshAllScores() {
    for (int row = 1; row <= 10; ++row) SetScoreTexts(row, ItemScore(m_itemBtn[row].FileName()), true);
    ShowOverallScore();
}

void CMainDlg::SetRunCount(int runCount) {
    m_options.runCount = runCount;
    RefreshAllScores();
    RegKey key;
    if (key.Create(m_hRootKey, settings::kIniKey)) key.WriteDword("Precision", static_cast<DWORD>(runCount));
}
