// The measurement: the state of a run from the item button to the scores,
// driven by events (button, end message, system command, watchdog tick) and
// talking to the window and the module process only through RunHost, so
// every transition can be tested without a window or a clock.
#pragma once
#include <windows.h>

#include <string>

#include "app/settings.h"

namespace run {

enum class ModuleState { kNone, kRunning, kExited };

// What the measurement asks of the main window and the platform.
class RunHost {
public:
    virtual ~RunHost() = default;

    virtual void Minimise() = 0;  // the window goes down for a run
    virtual void Restore() = 0;   // and comes back when it ends
    virtual void SaveCursor() = 0;
    virtual void ParkCursor() = 0;  // out of the way on the screen's bottom-right pixel
    virtual void RestoreCursor() = 0;
    virtual void IdlePriority() = 0;  // process and user-interface thread
    virtual void NormalPriority() = 0;
    virtual void RefreshScores() = 0;
    virtual void Quit() = 0;  // posts the quit message

    // Modal interactions; each pumps messages, so events may arrive inside.
    virtual void Notice(const std::string& text, UINT type) = 0;
    virtual bool ConfirmStart(int runCount) = 0;  // true: start
    virtual bool AnnounceRun(const std::string& item, int total, int runNumber) = 0;  // true: go on
    virtual void ShowMissingFile(const std::string& file) = 0;

    // The module process of the current launch (at most one at a time).
    virtual bool StartModule(const std::string& path) = 0;
    virtual ModuleState PollModule() = 0;
    virtual void EndModule() = 0;      // ends it with every process it started
    virtual void ReleaseModule() = 0;  // forgets a module that has exited
    virtual bool EndMessageQueued() = 0;
    virtual void DropQueuedEndMessages() = 0;
    virtual void SetWatchdog(UINT intervalMs) = 0;  // 0 stops it
    virtual DWORD Now() = 0;                        // milliseconds
};

// Item button kinds.
enum ButtonKind { kItemButton = 0, kAllItemsButton = 1, kEmptyButton = 2 };

class Measurement {
public:
    enum class State {
        kIdle,
        kRunning,   // a module measures; any system command aborts
        kBetween,   // a run ended and the next one is being announced or waits for the last module to go
        kAborting,  // the user aborted; waiting for the module's end message
    };

    // The watchdog's pace while a module measures, and while one that has
    // reported is expected to exit; how long a module may ignore an abort,
    // and linger after its end message, before it is ended.
    static constexpr UINT kWatchPeriodMs = 250;
    static constexpr UINT kReapPeriodMs = 10;
    static constexpr DWORD kAbortGraceMs = 15000;
    static constexpr DWORD kLingerLimitMs = 10000;

    Measurement(RunHost& host, HKEY root, const std::string& programDir, const settings::Options& options,
                HWND window);

    State state() const { return m_state; }
    // The window takes every system command for an abort request meanwhile.
    bool IsRunning() const { return m_state == State::kRunning || m_state == State::kBetween; }
    const std::string& CurrentItem() const { return m_currentItem; }
    DWORD RunIndex() const { return m_index; }

    void PushItemBtn(int kind, const std::string& fileName);
    void OnEndBnc(WPARAM wp);
    void AbortRun();
    void OnWatchdog();

private:
    void Launch();
    void StartWaitingModule();
    void EndedRun(WPARAM wp);
    void ModuleGone(const char* why);
    void ForgetReportedModule();
    void Finish();
    void Fatal(const char* operation);
    int NextSelectedItem(int pass);
    void Notice(const std::string& text, UINT type);
    std::string ModuleName() const;

    RunHost& m_host;
    HKEY m_root;
    std::string m_programDir;
    const settings::Options& m_options;
    HWND m_window;

    State m_state = State::kIdle;
    bool m_allItems = false;
    std::string m_currentItem;
    int m_walkPosition = 0;
    DWORD m_index = 0;  // the "Count" handed to the module of this run

    int m_modal = 0;             // depth of our own modal interactions
    bool m_announcing = false;   // the progress dialog is up
    bool m_abortRequested = false;
    bool m_endPending = false;   // the module reported while we were asking something
    WPARAM m_pendingWp = 0;
    bool m_moduleReported = false;  // the module of the last launch has posted its end
    bool m_launchPending = false;   // next launch waits for that module to exit
    DWORD m_abortTime = 0;
    DWORD m_reportTime = 0;
};

}  // namespace run
