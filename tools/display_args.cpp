#include "tools/display_args.h"

#include "tools/post_amount.h"

namespace korv::tools {

const char* const kDisplayUsage =
    "usage: korvpole-display [--port N] [--log FILE] [--dump]\n"
    "Simulates a 4x20 pole display on a pseudo-terminal linked as COM<N> (default COM1)\n"
    "in the working directory. --log writes every byte received, decoded; --dump prints\n"
    "the final screen as four plain lines when the simulator ends.\n";

namespace {
// The configuration file holds the port as at most two digits.
constexpr std::uint32_t kMaxPort = 99;
}  // namespace

bool ParseDisplayArgs(const std::vector<std::string>& args, DisplayOptions& options,
                      std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--dump") {
            options.dump = true;
            continue;
        }
        if (option == "--help" || option == "-h") {
            options.help = true;
            continue;
        }
        if (option != "--port" && option != "--log") {
            error = "unknown option '" + option + "'";
            return false;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            error = option + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (option == "--log") {
            options.log_path = value;
            continue;
        }
        std::uint32_t port = 0;
        if (!ParseUnsigned(value, kMaxPort, port) || port < 1) {
            error = "--port: '" + value + "' is not a port number from 1 to 99";
            return false;
        }
        options.port = static_cast<int>(port);
    }
    return true;
}

}  // namespace korv::tools
