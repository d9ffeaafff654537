#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

#include "display/display_kinds.h"
#include "display/names.h"

namespace korv::tools {
inline constexpr int kUsageError = 2;

// KORVPOLE.CFG holds the port as at most two digits.
inline constexpr std::uint32_t kMaxPort = 99;

// getopt's habits: --help, --version, the last of a repeated option wins.
void SetUpToolApp(CLI::App& app, const std::string& footer);

// Nothing when the tool goes on; else its exit status: 0 after --help or --version,
// kUsageError after a bad argument, told on `err` as "<tool>: <what>" with a pointer to --help.
std::optional<int> ParseToolArgs(CLI::App& app, const std::vector<std::string>& args,
                                 std::ostream& out, std::ostream& err);

// `problem` says what is wrong with a value, or nothing; `shown` follows the type in --help.
CLI::Validator Checked(std::function<std::string(const std::string&)> problem, const std::string& shown = "");
// Plain digits from `min` to `max`, checked before CLI11 converts them.
CLI::Validator WholeNumberFrom(std::uint32_t min, std::uint32_t max, const std::string& what);
CLI::Validator PortNumber();  // one korvpole can be given
CLI::Validator Milliseconds(std::uint32_t max);
CLI::Validator NonEmptyPath();

// Finds the item of `items` (which outlives it) that a value names, as `name` spells it, in any case.
template <class Items, class Name>
auto Named(const Items& items, Name name) {
    return [&items, name](const std::string& text) -> std::optional<std::decay_t<decltype(items[0])>> {
        for (const auto& item : items)
            if (SameName(text, name(item))) return item;
        return std::nullopt;
    };
}

// OPTION whose value `find` knows (as an optional or a pointer), handed to `take` as
// found; another is refused as "'<value>'" and `refused`.
template <class Find, class Take>
CLI::Option* AddFound(CLI::App& app, const std::string& option, Find find, Take take, const std::string& refused,
                      const std::string& help) {
    const auto taken = [=](const std::string& text) { take(*find(text)); };
    const auto problem = [=](const std::string& text) { return find(text) ? "" : "'" + text + "'" + refused; };
    return app.add_option_function<std::string>(option, taken, help)->check(Checked(problem));
}

// --kind KIND, a display kind as KORVPOLE.INI names it.
CLI::Option* AddKindOption(CLI::App& app, std::function<void(DisplayKind)> take, const std::string& help);
}  // namespace korv::tools
