// korvpole-display: a pole display of any kind korvpole speaks, in a terminal. It offers a pseudo-terminal as
// COM<n> in the working directory and shows what korvpole (or anything else) sends.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/stop_request.h"
#include "sim/display_model.h"
#include "tools/common/tool_cli.h"
#include "tools/common/utf8_console.h"
#include "tools/simulator/simulator_args.h"
#include "tools/simulator/pty_link.h"
#include "tools/simulator/byte_log.h"
#include "tools/simulator/panel.h"

namespace {

using Clock = std::chrono::steady_clock;
using korv::tools::SimulatorOptions;

// Pause after a read error, so a master that keeps failing does not spin.
constexpr int kReadErrorPauseMs = 50;
// The longest wait between two looks for a stop: one that came just before a wait
// does not interrupt it.
constexpr int kStopLookMs = 200;

// Until `fd` is readable or `timeout_ms` passes (-1: the stop look's time).
bool WaitReadable(int fd, int timeout_ms) {
    pollfd watched{fd, POLLIN, 0};
    const int wait = timeout_ms < 0 || timeout_ms > kStopLookMs ? kStopLookMs : timeout_ms;
    return poll(&watched, 1, wait) > 0 && (watched.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

struct Session {
    korv::tools::PtyLink& link;
    korv::sim::DisplayModel& model;
    std::FILE* log;
    Clock::time_point start;
};

// Feeds whatever the master holds into the model; false when nothing could be read.
bool DrainMaster(Session& session) {
    unsigned char buffer[4096];
    const ssize_t count = read(session.link.MasterFd(), buffer, sizeof buffer);
    if (count <= 0) return count < 0 && (errno == EAGAIN || errno == EINTR);
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - session.start).count();
    for (ssize_t i = 0; i < count; ++i) {
        const korv::sim::DecodedByte decoded = session.model.Feed(buffer[i]);
        if (session.log)
            std::fputs(korv::tools::FormatLogLine(elapsed, decoded, session.model).c_str(), session.log);
    }
    if (session.log) std::fflush(session.log);
    return true;
}

korv::tools::PanelStyle StyleFor(bool terminal) {
    const char* no_colour = std::getenv("NO_COLOR");
    const bool colour = terminal && (no_colour == nullptr || *no_colour == '\0');
    return colour ? korv::tools::PanelStyle::kColour : korv::tools::PanelStyle::kPlain;
}

int Run(const SimulatorOptions& options) {
    korv::tools::PtyLink link;
    std::string error;
    if (!link.Create(options.port, error)) {
        std::fprintf(stderr, "korvpole-display: %s\n", error.c_str());
        return 1;
    }
    std::FILE* log = nullptr;
    if (!options.log_path.empty() && (log = std::fopen(options.log_path.c_str(), "w")) == nullptr) {
        std::perror(("korvpole-display: " + options.log_path).c_str());
        return 1;
    }
    korv::platform::CatchStopRequests();
    // A terminal or pipe that went away must not kill us before the link is removed.
    std::signal(SIGPIPE, SIG_IGN);
    const std::unique_ptr<korv::sim::DisplayModel> shown = korv::sim::MakeDisplayModel(options.kind, options.rom);
    korv::sim::DisplayModel& model = *shown;
    Session session{link, model, log, Clock::now()};

    const bool terminal = isatty(STDOUT_FILENO) == 1;
    // A script that asked for the dump on a pipe wants the four lines and nothing else.
    const bool live = terminal || !options.dump;
    korv::tools::LivePanel panel(stdout, StyleFor(terminal), terminal, link.Name());

    int wait_ms = -1;
    if (live) wait_ms = panel.Update(model);
    while (!korv::platform::StopRequested()) {
        if (WaitReadable(link.MasterFd(), wait_ms) && !DrainMaster(session))
            usleep(kReadErrorPauseMs * 1000);
        if (live) wait_ms = panel.Update(model);
    }
    link.Remove();
    if (live) panel.Finish(model);
    if (options.dump) std::fputs(korv::tools::DumpScreen(model).c_str(), stdout);
    std::fflush(stdout);
    if (log) std::fclose(log);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    SimulatorOptions options;
    const auto status = korv::tools::ParseSimulatorArgs(korv::tools::Utf8Arguments(argc, argv),
                                                      options, std::cout, std::cerr);
    if (status) return *status;
    return Run(options);
}
