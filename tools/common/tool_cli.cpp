#include "tools/common/tool_cli.h"

namespace korv::tools {
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

CLI::Validator Checked(std::function<std::string(const std::string&)> problem, const std::string& shown) {
    return CLI::Validator([problem](std::string& text) { return problem(text); }, shown);
}

CLI::Validator WholeNumberFrom(std::uint32_t min, std::uint32_t max, const std::string& what) {
    const std::string refused = " is not " + what + " from " + std::to_string(min) + " to " + std::to_string(max);
    return Checked([min, max, refused](const std::string& text) {
        // No sign, no blank, no hex.
        const bool digits =
            !text.empty() && text.size() <= 10 && text.find_first_not_of("0123456789") == std::string::npos;
        const std::uint64_t value = digits ? std::stoull(text) : 0;
        return digits && value >= min && value <= max ? "" : "'" + text + "'" + refused;
    });
}

CLI::Validator PortNumber() { return WholeNumberFrom(1, kMaxPort, "a port number"); }

CLI::Validator Milliseconds(std::uint32_t max) { return WholeNumberFrom(0, max, "a whole number of milliseconds"); }

CLI::Validator NonEmptyPath() {
    return Checked([](const std::string& text) { return text.empty() ? "needs a path" : ""; });
}

CLI::Option* AddKindOption(CLI::App& app, std::function<void(DisplayKind)> take, const std::string& help) {
    return AddFound(app, "--kind", FindProtocol, [take](const DisplayProtocol& chosen) { take(chosen.kind); },
                    std::string(" is no display kind: ") + KindNames(), help)
        ->type_name("KIND");
}
}  // namespace korv::tools
