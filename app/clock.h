// Millisecond clock: the multimedia timer when it proved sane against the
// tick count at start-up, the tick count otherwise.
#pragma once
#include <windows.h>

// True when the multimedia timer advanced by more than 190 and less than
// 300 ms while the tick count advanced by just over 200.
inline bool MultimediaTimerPlausible(DWORD mmAdvance) { return mmAdvance > 190 && mmAdvance < 300; }

// Busy-waits about 200 ms; returns whether to use the multimedia timer.
bool CalibrateTimer();
DWORD CurrentTime(bool useMultimediaTimer);
