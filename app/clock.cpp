#include "app/clock.h"

#include <mmsystem.h>

namespace {
// Thread timers carry no context; one calibration runs at a time.
CalibratedClock* g_waiting = nullptr;
}  // namespace

CalibratedClock::~CalibratedClock() { StopTimer(); }

void CalibratedClock::Begin(DWORD mm, DWORD tick) {
    m_mm0 = mm;
    m_tick0 = tick;
    m_calibrated = false;
    m_useMultimediaTimer = false;
}

bool CalibratedClock::Sample(DWORD mm, DWORD tick) {
    if (m_calibrated) return true;
    if (tick - m_tick0 <= 200) return false;
    m_useMultimediaTimer = MultimediaTimerPlausible(mm - m_mm0);
    m_calibrated = true;
    return true;
}

void CalibratedClock::Start() {
    StopTimer();
    DWORD mm = timeGetTime();
    Begin(mm, GetTickCount());
    // The timer may fire early on a coarse tick; OnTimer then waits on.
    m_timer = SetTimer(nullptr, 0, 210, &CalibratedClock::OnTimer);
    if (m_timer) g_waiting = this;
}

void CALLBACK CalibratedClock::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    CalibratedClock* clock = g_waiting;
    if (!clock || clock->m_timer != id) {
        KillTimer(nullptr, id);
        return;
    }
    // The tick count first: the multimedia reading must not precede it.
    DWORD tick = GetTickCount();
    if (clock->Sample(timeGetTime(), tick)) clock->StopTimer();
}

void CalibratedClock::StopTimer() {
    if (m_timer) KillTimer(nullptr, m_timer);
    m_timer = 0;
    if (g_waiting == this) g_waiting = nullptr;
}

DWORD CalibratedClock::Now() const { return m_useMultimediaTimer ? timeGetTime() : GetTickCount(); }
