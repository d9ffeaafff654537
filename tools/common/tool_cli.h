#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "display/display_kinds.h"

namespace korv::tools {
inline constexpr int kUsageError = 2;

// KORVPOLE.CFG holds the port as at most two digits.
inline constexpr std::uint32_t kMaxPort = 99;

// A tool's command line with getopt habits: --help and --version, and the last of a
// repeated option wins. `footer` follows the option list in --help.
void SetUpToolApp(CLI::App& app, const std::string& footer);

// Parses the arguments after the program name. Nothing when the tool should go on;
// otherwise its exit status: 0 after --help or --version (printed on `out`), and
// kUsageError after a bad argument, told on `err` as "<tool>: <what>" with a pointer
// to --help.
std::optional<int> ParseToolArgs(CLI::App& app, const std::vector<std::string>& args,
                                 std::ostream& out, std::ostream& err);

// Plain digits making a number from `min` to `max`, checked before CLI11 converts them;
// `what` names the number in the message. The shared ones: a COM port number korvpole
// can be given, a pause in milliseconds, and a path that is not empty.
CLI::Validator WholeNumberFrom(std::uint32_t min, std::uint32_t max, const std::string& what);
CLI::Validator PortNumber();
CLI::Validator Milliseconds(std::uint32_t max);
CLI::Validator NonEmptyPath();

// --kind KIND, a display kind as KORVPOLE.INI names it, handed to `take`.
CLI::Option* AddKindOption(CLI::App& app, std::function<void(DisplayKind)> take, const std::string& help);
}  // namespace korv::tools
