// The main window's side of a measurement: it routes the events to the
// measurement and does what the measurement asks of a window. The decisions
// themselves live in run::Measurement.
#include "framework/winapp.h"
#include "mainwnd/maindlg.h"
#include "res/resource.h"
#include "run/protocol.h"
#include "run/rundialogs.h"
#include "run/scores.h"

namespace {
// Runs only while a module runs or has yet to exit.
const UINT_PTR kWatchdogTimer = 0x5A1;
}  // namespace

// The measurement exists once the registry root is open.
void CMainDlg::PushItemBtn(CItemBtn& button) {
    if (m_measurement) m_measurement->PushItemBtn(button.GetKind(), button.FileName());
}

LRESULT CMainDlg::OnEndBnc(WPARAM wp, LPARAM) {
    if (m_measurement) m_measurement->OnEndBnc(wp);
    return 0;
}

void CMainDlg::AbortRun() {
    if (m_measurement) m_measurement->AbortRun();
}

LRESULT CMainDlg::OnTimer(WPARAM wp, LPARAM lp) {
    if (wp == kWatchdogTimer) {
        if (m_measurement) m_measurement->OnWatchdog();
        return 0;
    }
    return ::DefWindowProcA(m_hWnd, WM_TIMER, wp, lp);
}

// --- what the measurement asks of the window ----------------------------------

void CMainDlg::Minimise() { CloseWindow(m_hWnd); }
void CMainDlg::Restore() { OpenIcon(m_hWnd); }
void CMainDlg::SaveCursor() { GetCursorPos(&m_savedCursor); }
void CMainDlg::ParkCursor() { run::ParkCursor(); }
void CMainDlg::RestoreCursor() { run::MoveCursor(m_savedCursor.x, m_savedCursor.y); }

void CMainDlg::IdlePriority() {
    SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
}

void CMainDlg::NormalPriority() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
}

void CMainDlg::RefreshScores() { RefreshAllScores(); }
void CMainDlg::Quit() { PostQuitMessage(0); }
void CMainDlg::Notice(const std::string& text, UINT type) { MessageBox(text, type); }

bool CMainDlg::ConfirmStart(int runCount) {
    CConfirmStartDlg confirm(this, runCount);
    return confirm.DoModal() != IDCANCEL;
}

bool CMainDlg::AnnounceRun(const std::string& item, int total, int runNumber) {
    CRunCountDlg progress(this, item, total, runNumber);
    return progress.DoModal() != IDCANCEL;
}

bool CMainDlg::StartModule(const std::string& path) { return m_module.Start(path); }
run::ModuleState CMainDlg::PollModule() { return m_module.Poll(); }
void CMainDlg::EndModule() { m_module.End(); }
void CMainDlg::ReleaseModule() { m_module.Release(); }

bool CMainDlg::EndMessageQueued() {
    MSG pending;
    return PeekMessageA(&pending, m_hWnd, run::kEndMessage, run::kEndMessage, PM_NOREMOVE) != FALSE;
}

void CMainDlg::DropQueuedEndMessages() {
    MSG stale;
    while (PeekMessageA(&stale, m_hWnd, run::kEndMessage, run::kEndMessage, PM_REMOVE)) {
    }
}

void CMainDlg::SetWatchdog(UINT intervalMs) {
    if (intervalMs)
        SetTimer(m_hWnd, kWatchdogTimer, intervalMs, nullptr);
    else
        KillTimer(m_hWnd, kWatchdogTimer);
}

DWORD CMainDlg::Now() { return GetTickCount(); }

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
