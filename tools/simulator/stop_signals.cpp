#include "tools/simulator/stop_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace korv::tools {

namespace {

volatile std::sig_atomic_t g_stop_signal = 0;
volatile std::sig_atomic_t g_wake_write = -1;

extern "C" void RecordStop(int signal_number) {
    const int saved_errno = errno;
    g_stop_signal = signal_number;
    const char byte = 1;
    if (g_wake_write >= 0) (void)!write(g_wake_write, &byte, 1);
    errno = saved_errno;
}

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

}  // namespace

StopSignals::StopSignals() {
    int wake[2];
    if (pipe(wake) == 0) {
        for (int fd : wake) {
            fcntl(fd, F_SETFD, FD_CLOEXEC);
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        }
        wake_read_ = wake[0];
        g_wake_write = wake[1];
    }
    for (int signal_number : kStopSignals) {
        struct sigaction action {};
        action.sa_handler = RecordStop;
        sigemptyset(&action.sa_mask);
        sigaction(signal_number, &action, nullptr);
    }
    // A terminal or pipe that went away must not kill us before the link is removed.
    std::signal(SIGPIPE, SIG_IGN);
}

StopSignals::~StopSignals() {
    for (int signal_number : kStopSignals) std::signal(signal_number, SIG_DFL);
    if (g_wake_write >= 0) close(g_wake_write);
    g_wake_write = -1;
    if (wake_read_ >= 0) close(wake_read_);
}

int StopSignals::StopSignal() const { return g_stop_signal; }

bool StopSignals::WaitReadable(int fd, int timeout_ms) const {
    pollfd watched[2] = {{fd, POLLIN, 0}, {wake_read_, POLLIN, 0}};
    if (poll(watched, 2, timeout_ms) <= 0) return false;
    return g_stop_signal == 0 && (watched[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

}  // namespace korv::tools
