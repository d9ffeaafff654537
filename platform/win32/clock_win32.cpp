#include <windows.h>
#include <mmsystem.h>

#include "platform/clock.h"

namespace korv::platform {
void SleepMilliseconds(int milliseconds) {
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

// The performance counter, as the tick count only moves every 10 to 16 ms.
std::int64_t NowMilliseconds() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    const std::int64_t per_second = frequency.QuadPart;
    const std::int64_t ticks = count.QuadPart;
    return ticks / per_second * 1000 + ticks % per_second * 1000 / per_second;
}

// A stock Windows timer lets Sleep(1) last up to 15.6 ms, which would make the 1 ms
// pause after every display byte fifteen times longer.
FineTimerScope::FineTimerScope() { timeBeginPeriod(1); }
FineTimerScope::~FineTimerScope() { timeEndPeriod(1); }
}  // namespace korv::platform
