#include "tools/post_args.h"

#include <cstdint>

#include "tools/post_amount.h"

namespace korv::tools {

const char* const kPostUsage =
    "usage: korvpole-post [--line1 TEXT] [--line2 TEXT] [--tax AMOUNT] [--total AMOUNT]\n"
    "                     [--scale N] [--file PATH]\n"
    "       korvpole-post --demo [--loop] [--step-ms N] [--file PATH]\n"
    "Writes the pole record (default POLE.DAT) in place; fields not given keep their value.\n"
    "AMOUNT is a decimal number with at most two decimals, e.g. 13.50 or -5.\n";

namespace {

constexpr std::uint32_t kMaxScale = 65535;
constexpr std::uint32_t kMaxStepMs = 3600000;

bool ParseValue(const std::string& option, const std::string& value, PostOptions& options,
                std::string& error) {
    std::int32_t amount = 0;
    std::uint32_t number = 0;
    if (option == "--line1") {
        options.update.line1 = value;
    } else if (option == "--line2") {
        options.update.line2 = value;
    } else if (option == "--file") {
        if (value.empty()) error = "--file needs a path";
        options.file = value;
    } else if (option == "--tax" || option == "--total") {
        if (!ParseAmount(value, amount)) {
            error = option + ": '" + value +
                    "' is not an amount with at most two decimals that fits 32 bits "
                    "(-21474836.48 to 21474836.47)";
        } else {
            (option == "--tax" ? options.update.tax : options.update.total) = amount;
        }
    } else if (option == "--scale") {
        if (!ParseUnsigned(value, kMaxScale, number))
            error = "--scale: '" + value + "' is not a whole number from 0 to 65535";
        else
            options.update.scale = static_cast<std::uint16_t>(number);
    } else if (option == "--step-ms") {
        if (!ParseUnsigned(value, kMaxStepMs, number))
            error = "--step-ms: '" + value + "' is not a whole number of milliseconds";
        else
            options.step_ms = static_cast<int>(number);
        options.step_ms_given = true;
    } else {
        error = "unknown option '" + option + "'";
    }
    return error.empty();
}

bool IsFlag(const std::string& option, PostOptions& options) {
    if (option == "--demo") return options.demo = true;
    if (option == "--loop") return options.loop = true;
    if (option == "--help" || option == "-h") return options.help = true;
    return false;
}

bool TakesValue(const std::string& option) {
    for (const char* known : {"--line1", "--line2", "--tax", "--total", "--scale", "--file", "--step-ms"})
        if (option == known) return true;
    return false;
}

}  // namespace

bool ParsePostArgs(const std::vector<std::string>& args, PostOptions& options, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (IsFlag(option, options)) continue;
        if (!TakesValue(option)) {
            error = "unknown option '" + option + "'";
            return false;
        }
        if (i + 1 >= args.size()) {
            error = option + " needs a value";
            return false;
        }
        if (!ParseValue(option, args[++i], options, error)) return false;
    }
    const RecordUpdate& update = options.update;
    if (options.demo && (update.line1 || update.line2 || update.tax || update.total || update.scale)) {
        error = "--demo writes its own lines and amounts; give only --file, --loop and --step-ms";
        return false;
    }
    if ((options.loop || options.step_ms_given) && !options.demo) {
        error = std::string(options.loop ? "--loop" : "--step-ms") + " belongs to --demo";
        return false;
    }
    return true;
}

}  // namespace korv::tools
