#pragma once

namespace korv::tools {

// SIGINT, SIGTERM and SIGHUP end the simulator in an orderly way. The handler also
// writes to a pipe that WaitReadable watches, so a signal that arrives just before the
// wait still ends it, and a device that never stops being readable cannot hide it.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal that asked to stop, or 0.
    int StopSignal() const;
    // Waits until `fd` is readable, `timeout_ms` passes (-1: no limit) or a stop signal
    // arrives. True when `fd` is readable and no stop was asked for.
    bool WaitReadable(int fd, int timeout_ms) const;

private:
    int wake_read_ = -1;
};

}  // namespace korv::tools
