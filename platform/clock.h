#pragma once

#include <cstdint>

namespace korv::platform {
void SleepMilliseconds(int milliseconds);
// Monotonic, for intervals; the origin is arbitrary.
std::int64_t NowMilliseconds();

// Holds the finest sleep granularity while it lives, so that a 1 ms pause lasts 1 ms.
class FineTimerScope {
public:
    FineTimerScope();
    ~FineTimerScope();
    FineTimerScope(const FineTimerScope&) = delete;
    FineTimerScope& operator=(const FineTimerScope&) = delete;
};
}  // namespace korv::platform
