#include "tools/common/tool_cli.h"

namespace korv::tools {
namespace {
// A CLI11 check of our own: `problem` says what is wrong with a value, or nothing.
CLI::Validator Checked(std::function<std::string(const std::string&)> problem) {
    return CLI::Validator([problem](std::string& text) { return problem(text); }, "");
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
        // CLI11 says "The following argument was not expected"; a technician reads this better.
        const std::vector<std::string> extras = app.remaining();
        std::string told;
        for (const std::string& extra : extras) told += (told.empty() ? "'" : ", '") + extra + "'";
        const bool option = !extras.empty() && extras.front().rfind('-', 0) == 0;
        err << app.get_name() << ": " << (option ? "unknown option " : "unexpected argument ") << told << "\n";
    } catch (const CLI::ParseError& error) {
        err << app.get_name() << ": " << error.what() << "\n";
    }
    err << "Try '" << app.get_name() << " --help' for the options.\n";
    return kUsageError;
}

CLI::Validator WholeNumberFrom(std::uint32_t min, std::uint32_t max, const std::string& what) {
    const std::string refused = " is not " + what + " from " + std::to_string(min) + " to " + std::to_string(max);
    return Checked([min, max, refused](const std::string& text) -> std::string {
        // Plain decimal digits only: no sign, no blank, no hex.
        std::uint64_t value = 0;
        for (const char c : text) {
            if (c < '0' || c > '9') return "'" + text + "'" + refused;
            value = value * 10 + static_cast<std::uint64_t>(c - '0');
        }
        if (text.empty() || text.size() > 10 || value < min || value > max) return "'" + text + "'" + refused;
        return {};
    });
}

CLI::Validator PortNumber() { return WholeNumberFrom(1, kMaxPort, "a port number"); }

CLI::Validator Milliseconds(std::uint32_t max) { return WholeNumberFrom(0, max, "a whole number of milliseconds"); }

CLI::Validator NonEmptyPath() {
    return Checked([](const std::string& text) -> std::string { return text.empty() ? "needs a path" : ""; });
}

CLI::Option* AddKindOption(CLI::App& app, std::function<void(DisplayKind)> take, const std::string& help) {
    return app
        .add_option_function<std::string>(
            "--kind", [take](const std::string& name) { take(FindProtocol(name)->kind); }, help)
        ->type_name("KIND")
        ->check(Checked([](const std::string& text) -> std::string {
            return FindProtocol(text) ? "" : "'" + text + "' is no display kind: " + KindNames();
        }));
}
}  // namespace korv::tools
