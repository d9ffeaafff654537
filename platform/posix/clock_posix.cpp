#include <time.h>

#include <cerrno>

#include "platform/clock.h"

namespace korv::platform {
void SleepMilliseconds(int milliseconds) {
    if (milliseconds <= 0) return;
    timespec rest{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}

std::int64_t NowMilliseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The kernel's timers are fine-grained already.
FineTimerScope::FineTimerScope() = default;
FineTimerScope::~FineTimerScope() = default;
}  // namespace korv::platform
