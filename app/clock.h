// Millisecond clock: the multimedia timer when it proved sane against the
// tick count at start-up, the tick count otherwise.
#pragma once
#include <windows.h>

// True when the multimedia timer advanced by more than 190 and less than
// 300 ms while the tick count advanced by just over 200.
inline bool MultimediaTimerPlausible(DWORD mmAdvance) { return mmAdvance > 190 && mmAdvance < 300; }

// Compares the two timers over just over 200 ms of tick count without
// blocking start-up: the first readings are taken at Start, the second ones
// from the thread's message loop. Until then the tick count is used.
class CalibratedClock {
public:
    CalibratedClock() = default;
    ~CalibratedClock();
    CalibratedClock(const CalibratedClock&) = delete;
    CalibratedClock& operator=(const CalibratedClock&) = delete;

    // Takes the first readings and sets a thread timer that takes the second.
    void Start();
    DWORD Now() const;
    bool UseMultimediaTimer() const { return m_useMultimediaTimer; }
    bool Calibrated() const { return m_calibrated; }

    // The readings themselves, apart from the timer that supplies them.
    void Begin(DWORD mm, DWORD tick);
    // False while the tick count has not yet advanced by more than 200 ms.
    bool Sample(DWORD mm, DWORD tick);

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
    void StopTimer();

    DWORD m_mm0 = 0, m_tick0 = 0;
    bool m_calibrated = false;
    bool m_useMultimediaTimer = false;
    UINT_PTR m_timer = 0;
};
