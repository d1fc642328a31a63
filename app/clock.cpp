#include "app/clock.h"

#include <mmsystem.h>

bool CalibrateTimer() {
    DWORD mm0 = timeGetTime();
    DWORD tick0 = GetTickCount();
    while (GetTickCount() - tick0 <= 200) {
    }
    return MultimediaTimerPlausible(timeGetTime() - mm0);
}

DWORD CurrentTime(bool useMultimediaTimer) { return useMultimediaTimer ? timeGetTime() : GetTickCount(); }
