#include "tools/common/tool_cli.h"

namespace korv::tools {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// CLI11 says "The following argument was not expected"; a technician reads this better.
std::string Unexpected(const std::vector<std::string>& extras) {
    std::string told;
    for (const std::string& extra : extras) {
        if (!told.empty()) told += ", ";
        told += "'" + extra + "'";
    }
    const bool option = !extras.empty() && !extras.front().empty() && extras.front()[0] == '-';
    return (option ? "unknown option " : "unexpected argument ") + told;
}

// Plain decimal digits only, 0 to `max`.
bool ParseUnsigned(const std::string& text, std::uint32_t max, std::uint32_t& value) {
    if (text.empty() || text.size() > 10) return false;
    std::uint64_t number = 0;
    for (char c : text) {
        if (!IsDigit(c)) return false;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (number > max) return false;
    value = static_cast<std::uint32_t>(number);
    return true;
}

}  // namespace

void SetUpToolApp(CLI::App& app, const std::string& footer) {
    app.set_version_flag("--version", app.get_name() + " " + KORV_VERSION);
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.footer(footer);
}

std::optional<int> ParseToolArgs(CLI::App& app, const std::vector<std::string>& args,
                                 std::ostream& out, std::ostream& err) {
    std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them so
    try {
        app.parse(reversed);
        return std::nullopt;
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return 0;
    } catch (const CLI::CallForVersion& version) {
        out << version.what() << "\n";
        return 0;
    } catch (const CLI::ExtrasError&) {
        err << app.get_name() << ": " << Unexpected(app.remaining()) << "\n";
    } catch (const CLI::ParseError& error) {
        err << app.get_name() << ": " << error.what() << "\n";
    }
    err << "Try '" << app.get_name() << " --help' for the options.\n";
    return kUsageError;
}

CLI::Validator WholeNumberFrom(std::uint32_t min, std::uint32_t max, const std::string& what) {
    const std::string range = std::to_string(min) + " to " + std::to_string(max);
    return CLI::Validator(
        [min, max, what, range](std::string& text) -> std::string {
            std::uint32_t value = 0;
            if (ParseUnsigned(text, max, value) && value >= min) return {};
            return "'" + text + "' is not " + what + " from " + range;
        },
        "");
}

CLI::Validator PortNumber() { return WholeNumberFrom(1, kMaxPort, "a port number"); }

CLI::Validator Milliseconds(std::uint32_t max) {
    return WholeNumberFrom(0, max, "a whole number of milliseconds");
}

CLI::Validator NonEmptyPath() {
    return CLI::Validator(
        [](std::string& text) -> std::string { return text.empty() ? "needs a path" : ""; },
        "");
}

CLI::Option* AddKindOption(CLI::App& app, std::function<void(DisplayKind)> take,
                           const std::string& help) {
    const CLI::Validator kind(
        [](std::string& text) -> std::string {
            if (FindProtocol(text) != nullptr) return {};
            return "'" + text + "' is no display kind: " + KindNames();
        },
        "");
    return app
        .add_option_function<std::string>(
            "--kind", [take](const std::string& name) { take(FindProtocol(name)->kind); }, help)
        ->type_name("KIND")
        ->check(kind);
}

}  // namespace korv::tools
