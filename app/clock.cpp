#include "app/clock.h"

#include "framework/kernelproc.h"

namespace {
// Thread timers carry no context; one calibration runs at a time.
CalibratedClock* g_waiting = nullptr;

// winmm comes from the system directory when the clock first reads it,
// rather than as an import: imports are looked for in the program's folder
// first, which holds every module file of the catalogue. Without it the
// tick count stands in.
using TimeFn = DWORD(WINAPI*)();
TimeFn g_time = nullptr;

DWORD MultimediaTime() {
    if (!g_time) {
        HMODULE winmm = LoadSystemLibrary("winmm.dll");
        FARPROC proc = winmm ? GetProcAddress(winmm, "timeGetTime") : nullptr;
        g_time = proc ? reinterpret_cast<TimeFn>(reinterpret_cast<void*>(proc)) : &GetTickCount;
    }
    return g_time();
}
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
    DWORD mm = MultimediaTime();
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
    if (clock->Sample(MultimediaTime(), tick)) clock->StopTimer();
}

void CalibratedClock::StopTimer() {
    if (m_timer) KillTimer(nullptr, m_timer);
    m_timer = 0;
    if (g_waiting == this) g_waiting = nullptr;
}

DWORD CalibratedClock::Now() const { return m_useMultimediaTimer ? MultimediaTime() : GetTickCount(); }
