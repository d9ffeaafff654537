#pragma once

#include <signal.h>

namespace korv::tools {

// SIGINT, SIGTERM and SIGHUP end the simulator in an orderly way. They are blocked
// except while WaitReadable waits, so a signal can never slip in between a check of
// StopSignal and the wait.
class StopSignals {
public:
    StopSignals();
    // The signal that asked to stop, or 0.
    int StopSignal() const;
    // Waits until `fd` is readable, `timeout_ms` passes (-1: no limit) or a stop signal
    // arrives. True when `fd` is readable.
    bool WaitReadable(int fd, int timeout_ms) const;

private:
    sigset_t wait_mask_;
};

}  // namespace korv::tools
