#include "run/measurement.h"

#include "framework/regkey.h"
#include "run/protocol.h"

namespace run {

namespace {
const char kAborting[] = "測定を中止します。";
const char kAborted[] = "測定を中止しました。";
}  // namespace

Measurement::Measurement(RunHost& host, HKEY root, const std::string& programDir, const settings::Options& options,
                         HWND window)
    : m_host(host), m_root(root), m_programDir(programDir), m_options(options), m_window(window) {}

void Measurement::Notice(const std::string& text, UINT type) {
    ++m_modal;
    m_host.Notice(text, type);
    --m_modal;
}

void Measurement::Fatal(const char* operation) {
    Notice(std::string(operation) + " 正常にレジストリの操作ができません。\nアプリケーション ベンチマークを終了します。",
           MB_ICONSTOP);
    m_host.Quit();
}

std::string Measurement::ModuleName() const {
    std::string path = ModulePath(m_programDir, m_currentItem);
    return path.empty() ? m_currentItem : path;
}

int Measurement::NextSelectedItem(int pass) {
    AllItemsWalk walk{m_walkPosition, m_currentItem};
    int result = run::NextSelectedItem(m_root, m_programDir, static_cast<DWORD>(m_options.runCount), pass, &walk,
                                       [this](const std::string& file) {
                                           ++m_modal;
                                           m_host.ShowMissingFile(file);
                                           --m_modal;
                                       });
    m_walkPosition = walk.position;
    m_currentItem = walk.current;
    return result;
}

void Measurement::PushItemBtn(int kind, const std::string& fileName) {
    if (m_state != State::kIdle || m_modal > 0) return;
    if (m_options.confirmStart) {
        ++m_modal;
        bool start = m_host.ConfirmStart(m_options.runCount);
        --m_modal;
        if (!start) return;
    }
    if (!WriteHandOver(m_root, 0, m_window)) {
        Fatal("PushItemBtn()");
        return;
    }
    switch (kind) {
        case kItemButton:
            if (fileName.empty()) return;
            m_allItems = false;
            m_currentItem = fileName;
            m_index = 0;
            m_host.SaveCursor();
            Launch();
            break;
        case kAllItemsButton: {
            m_allItems = true;
            m_walkPosition = 0;
            int pass = NextSelectedItem(0);
            if (pass >= 0 && static_cast<DWORD>(pass) < static_cast<DWORD>(m_options.runCount)) {
                m_index = static_cast<DWORD>(pass);
                m_host.SaveCursor();
                Launch();
            } else {
                Notice("測定項目がありません。", MB_OK);
            }
            break;
        }
        default:
            Notice("測定項目が選択されていません。", MB_OK);
            break;
    }
}

void Measurement::Launch() {
    m_host.Minimise();
    m_host.ParkCursor();
    m_state = State::kRunning;
    m_abortRequested = false;
    m_endPending = false;
    if (!WriteSuspension(m_root, 0)) {
        Fatal("PushItemBtn()");
        return;
    }
    if (m_moduleReported && m_host.PollModule() != ModuleState::kRunning) ForgetReportedModule();
    if (m_moduleReported) {
        // The last module has reported but not gone: whatever else it posts
        // must not be taken for the end of this run.
        m_state = State::kBetween;
        m_launchPending = true;
        m_host.SetWatchdog(kReapPeriodMs);
        return;
    }
    StartWaitingModule();
}

void Measurement::StartWaitingModule() {
    m_launchPending = false;
    m_state = State::kRunning;
    std::string path = ModulePath(m_programDir, m_currentItem);
    if (path.empty() || !m_host.StartModule(path)) {
        m_state = State::kIdle;
        Notice("測定モジュール\n" + ModuleName() + "\nを起動できませんでした。\n測定を中止します。", MB_OK | MB_ICONSTOP);
        Finish();
        return;
    }
    m_moduleReported = false;
    m_host.SetWatchdog(kWatchPeriodMs);
}

void Measurement::OnEndBnc(WPARAM wp) {
    if (m_modal > 0) {
        // One notice at a time. The module of the current run may still end
        // meanwhile (while the abort notice is up); remember that.
        if (m_state == State::kRunning && !m_moduleReported && !m_endPending) {
            m_endPending = true;
            m_pendingWp = wp;
        }
        return;
    }
    // A second end message from the same launch.
    if (m_moduleReported) return;
    switch (m_state) {
        case State::kIdle:
            // Nothing runs: no registry value is needed to say so.
            m_host.NormalPriority();
            Notice(kAborted, MB_OK | MB_SYSTEMMODAL);
            Finish();
            break;
        case State::kBetween:
            break;  // no module of ours measures
        case State::kAborting:
            m_moduleReported = true;
            m_reportTime = m_host.Now();
            m_host.NormalPriority();
            Notice(kAborted, MB_OK | MB_SYSTEMMODAL);
            Finish();
            break;
        case State::kRunning:
            m_moduleReported = true;
            m_reportTime = m_host.Now();
            EndedRun(wp);
            break;
    }
}

void Measurement::EndedRun(WPARAM wp) {
    RegKey key;
    if (!key.Create(m_root, settings::kIniKey)) {
        Fatal("OnEndBnc()");
        return;
    }
    if (wp != 0) {
        m_state = State::kBetween;
        Notice(kAborted, MB_OK | MB_SYSTEMMODAL);
        Finish();
        return;
    }
    // Our own index decides; a module that rewrote "Count" would otherwise
    // steer the measurement.
    DWORD count = 0;
    if (!key.ReadDword("Count", &count) || count != m_index) {
        m_state = State::kBetween;
        Notice("測定モジュール\n" + ModuleName() + "\nが測定回数 \"Count\" を書き換えました。\n" + kAborted,
               MB_OK | MB_ICONSTOP | MB_SYSTEMMODAL);
        Finish();
        return;
    }
    m_state = State::kBetween;
    const DWORD runCount = static_cast<DWORD>(m_options.runCount);
    DWORD next = m_allItems ? static_cast<DWORD>(NextSelectedItem(static_cast<int>(m_index))) : m_index + 1;
    if (m_abortRequested || next >= runCount) {
        Finish();
        return;
    }
    if (m_options.runNumberMessage && runCount > 1) {
        ++m_modal;
        m_announcing = true;
        bool goOn = m_host.AnnounceRun(m_currentItem, static_cast<int>(runCount), static_cast<int>(next) + 1);
        m_announcing = false;
        --m_modal;
        // An abort from the system menu meanwhile has been answered already.
        if (m_abortRequested) {
            Finish();
            return;
        }
        if (!goOn) {
            Notice(kAborting, MB_OK);
            Finish();
            return;
        }
    }
    key.WriteDword("Count", next);
    key.Flush();
    key.Close();
    m_index = next;
    Launch();
}

void Measurement::AbortRun() {
    if (m_abortRequested) return;  // its notice is up already
    m_abortRequested = true;
    Notice(kAborting, MB_OK);
    if (m_state == State::kRunning) {
        if (m_endPending) {
            // The module ended while the notice was up: nothing is left to abort.
            m_endPending = false;
            m_moduleReported = true;
            m_reportTime = m_host.Now();
            m_state = State::kBetween;
            Notice(kAborted, MB_OK | MB_SYSTEMMODAL);
            Finish();
            return;
        }
        if (!WriteSuspension(m_root, 1)) {
            Fatal("PushItemBtn()");
            return;
        }
        m_state = State::kAborting;
        m_abortTime = m_host.Now();
        m_host.IdlePriority();
        return;
    }
    // Between runs no module measures. Whatever was asking (the announcement,
    // a notice) finishes the measurement when it returns.
    if (m_state == State::kBetween && m_modal == 0) Finish();
}

void Measurement::OnWatchdog() {
    if (m_modal > 0) return;
    ModuleState module = m_host.PollModule();
    if (module == ModuleState::kNone) {
        if (m_state == State::kIdle) m_host.SetWatchdog(0);
        return;
    }
    if (m_moduleReported) {
        // It has posted its end and may take a while to go.
        if (module == ModuleState::kRunning && m_host.Now() - m_reportTime <= kLingerLimitMs) return;
        if (module == ModuleState::kRunning) m_host.EndModule();
        ForgetReportedModule();
        if (m_launchPending)
            StartWaitingModule();
        else if (m_state == State::kIdle)
            m_host.SetWatchdog(0);
        return;
    }
    if (m_host.EndMessageQueued()) return;  // its end message is on the way
    if (module == ModuleState::kExited) {
        m_host.ReleaseModule();
        ModuleGone("\nが終了を知らせずに終了しました。");
    } else if (m_state == State::kAborting && m_host.Now() - m_abortTime > kAbortGraceMs) {
        m_host.EndModule();
        m_host.ReleaseModule();
        ModuleGone("\nが中止の要求に応じないため、\n起動したアプリケーションとともに終了させました。");
    }
}

// Once it is gone, anything more it posted is stale.
void Measurement::ForgetReportedModule() {
    m_host.DropQueuedEndMessages();
    m_host.ReleaseModule();
    m_moduleReported = false;
}

void Measurement::ModuleGone(const char* why) {
    m_state = State::kBetween;
    m_host.NormalPriority();
    Notice("測定モジュール\n" + ModuleName() + why + "\n" + kAborted, MB_OK | MB_ICONSTOP | MB_SYSTEMMODAL);
    Finish();
}

void Measurement::Finish() {
    m_state = State::kIdle;
    m_launchPending = false;
    ++m_modal;  // rating may report missing modules
    m_host.RefreshScores();
    --m_modal;
    m_host.Restore();
    m_host.RestoreCursor();
    m_abortRequested = false;
    m_endPending = false;
    if (m_host.PollModule() == ModuleState::kNone)
        m_host.SetWatchdog(0);
    else
        m_host.SetWatchdog(kReapPeriodMs);
}

}  // namespace run
