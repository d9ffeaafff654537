// korvpole-display: a pole display of any kind in a terminal, showing what comes on a
// serial port (--read) or on a pseudo-terminal it offers as COM<n> in the working folder.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include "platform/com_name.h"
#include "platform/port_facts.h"
#include "platform/serial_device.h"
#include "platform/stop_request.h"
#include "pole/failure_words.h"
#include "sim/display_model.h"
#include "tools/common/utf8_console.h"
#include "tools/simulator/simulator.h"
#include "tools/simulator/simulator_args.h"

namespace korv::tools {
namespace {
using Clock = std::chrono::steady_clock;
using sim::DecodedByte;
// Bytes into a buffer within a time, as SerialDevice::Read gives them.
using ReadBytes = std::function<int(std::uint8_t*, int, int)>;

// The longest wait between looks for a stop, as one just before a wait does not end it.
constexpr int kStopLookMs = 200;

// Shows what `read` gives until a stop, or until the port named `port` goes away.
int Watch(const SimulatorOptions& options, const std::string& port, const std::string& line, const ReadBytes& read) {
    std::FILE* log = nullptr;
    if (!options.log_path.empty() && (log = std::fopen(SystemPath(options.log_path).c_str(), "w")) == nullptr) {
        std::perror(("korvpole-display: " + options.log_path).c_str());
        return 1;
    }
    platform::CatchStopRequests();
    const Utf8ConsoleScope utf8_console;
    const std::unique_ptr<sim::DisplayModel> shown = sim::MakeDisplayModel(options.kind, options.rom, options.table);
    sim::DisplayModel& model = *shown;
    const bool terminal = TakesEscapes(stdout);
    // A script that asked for the dump on a pipe wants the four lines and nothing else.
    const bool live = terminal || !options.dump;
    const char* no_colour = std::getenv("NO_COLOR");
    const bool colour = terminal && (no_colour == nullptr || *no_colour == '\0');
    LivePanel panel(stdout, colour ? PanelStyle::kColour : PanelStyle::kPlain, terminal,
                    std::string(ProtocolOf(options.kind).name) + " on " + port + line);

    const Clock::time_point start = Clock::now();
    std::string command;  // the bytes of the command under way
    int status = 0;
    int wait_ms = live ? panel.Update(model) : -1;
    while (!platform::StopRequested()) {
        std::uint8_t buffer[4096];
        const int count = read(buffer, sizeof buffer, wait_ms < 0 || wait_ms > kStopLookMs ? kStopLookMs : wait_ms);
        if (count < 0) {
            std::fprintf(stderr, "korvpole-display: %s went away\n", port.c_str());
            status = 1;
            break;
        }
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        for (int i = 0; i < count; ++i) {
            const std::uint64_t unknown = model.UnknownCommands();
            const DecodedByte decoded = model.Feed(buffer[i]);
            command += static_cast<char>(buffer[i]);
            if (model.UnknownCommands() != unknown) panel.NoteUnknown(command);
            if (decoded.kind != DecodedByte::Kind::kPrefix && decoded.kind != DecodedByte::Kind::kParameter)
                command.clear();
            if (log) std::fputs(FormatLogLine(elapsed, decoded, model).c_str(), log);
        }
        if (log) std::fflush(log);
        if (live) wait_ms = panel.Update(model);
    }
    if (live) panel.Finish(model);
    if (options.dump) std::fputs(DumpScreen(model).c_str(), stdout);
    std::fflush(stdout);
    if (log) std::fclose(log);
    return status;
}

// The port opened as korvpole opens its own, for reading only.
int ReadPort(const SimulatorOptions& options) {
    const bool numbered = options.read.find_first_not_of("0123456789") == std::string::npos;
    const int port = numbered ? std::atoi(options.read.c_str()) : 0;
    const platform::PortFacts facts = numbered ? platform::DescribePort(port) : platform::DescribeDevice(options.read);
    const std::string name = numbered ? platform::ComName(port) : options.read;
    platform::SerialDevice device;
    if (const platform::PortOpenFailure failure = device.OpenToRead(facts.device, options.baud)) {
        std::fprintf(stderr, "korvpole-display: %s cannot be opened: %s\n", name.c_str(),
                     PortCause(port, failure, facts).c_str());
        return 1;
    }
    return Watch(options, name, ", " + std::to_string(options.baud) + " baud 8N1",
                 [&device](std::uint8_t* buffer, int size, int ms) { return device.Read(buffer, size, ms); });
}

int OfferLink(const SimulatorOptions& options) {
    PtyLink link;
    std::string error;
    if (!link.Create(options.port, error)) {
        std::fprintf(stderr, "korvpole-display: %s\n", error.c_str());
        return 1;
    }
    return Watch(options, platform::ComName(options.port), "",
                 [&link](std::uint8_t* buffer, int size, int ms) { return link.Read(buffer, size, ms); });
}
}  // namespace
}  // namespace korv::tools

int main(int argc, char** argv) {
    using namespace korv::tools;
    SimulatorOptions options;
    if (const auto status = ParseSimulatorArgs(Utf8Arguments(argc, argv), options, std::cout, std::cerr))
        return *status;
    return options.read.empty() ? OfferLink(options) : ReadPort(options);
}
