#include "tools/display_signals.h"

#include <sys/select.h>

#include <csignal>

namespace korv::tools {

namespace {

volatile std::sig_atomic_t g_stop_signal = 0;

extern "C" void RecordStop(int signal_number) { g_stop_signal = signal_number; }

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

}  // namespace

StopSignals::StopSignals() {
    sigset_t stops;
    sigemptyset(&stops);
    for (int signal_number : kStopSignals) sigaddset(&stops, signal_number);
    sigprocmask(SIG_BLOCK, &stops, &wait_mask_);
    for (int signal_number : kStopSignals) {
        sigdelset(&wait_mask_, signal_number);
        struct sigaction action {};
        action.sa_handler = RecordStop;
        sigemptyset(&action.sa_mask);
        sigaction(signal_number, &action, nullptr);
    }
    // A terminal or pipe that went away must not kill us before the link is removed.
    std::signal(SIGPIPE, SIG_IGN);
}

int StopSignals::StopSignal() const { return g_stop_signal; }

bool StopSignals::WaitReadable(int fd, int timeout_ms) const {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(fd, &readable);
    timespec limit{timeout_ms / 1000, (timeout_ms % 1000) * 1000000L};
    return pselect(fd + 1, &readable, nullptr, nullptr, timeout_ms < 0 ? nullptr : &limit,
                   &wait_mask_) > 0;
}

}  // namespace korv::tools
