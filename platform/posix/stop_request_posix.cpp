#include "platform/stop_request.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <initializer_list>

namespace korv::platform {
namespace {
volatile std::sig_atomic_t g_stop_requested = 0;

// Only what a handler may do: standard input swapped for one at its end, so that a setup
// answer being read, or about to be, gives up at once.
extern "C" void RequestStop(int) {
    const int saved_errno = errno;
    g_stop_requested = 1;
    const int ended = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (ended >= 0) {
        dup2(ended, STDIN_FILENO);
        close(ended);
    }
    errno = saved_errno;
}
}  // namespace

// Without SA_RESTART, so that a blocked read or wait returns.
void CatchStopRequests() {
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        sigaction(signal_number, nullptr, &previous);
        if (previous.sa_handler == SIG_IGN) continue;  // e.g. under nohup
        struct sigaction action {};
        action.sa_handler = RequestStop;
        sigemptyset(&action.sa_mask);
        sigaction(signal_number, &action, nullptr);
    }
}

bool StopRequested() { return g_stop_requested != 0; }
}  // namespace korv::platform
