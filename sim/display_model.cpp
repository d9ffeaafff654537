#include "sim/display_model.h"

#include <iterator>

#include "display/code_pages.h"
#include "sim/customer_display_model.h"
#include "sim/hd44780_model.h"

namespace korv::sim {
const char* KindName(DecodedByte::Kind kind) {
    // In the order of DecodedByte::Kind.
    static const char* const kNames[] = {
        "prefix", "parameter", "character", "clear", "clear-line", "set-address", "backlight-on",
        "backlight-off", "brightness", "initialise", "screen-mode", "function-set", "entry-mode",
        "display-control", "cursor-shift", "set-cgram-address", "cgram-data", "command", "unknown-command",
    };
    static_assert(std::size(kNames) == static_cast<std::size_t>(DecodedByte::Kind::kUnknownCommand) + 1);
    const auto index = static_cast<std::size_t>(kind);
    return index < std::size(kNames) ? kNames[index] : "?";
}

void DisplayModel::Feed(const std::string& bytes) {
    for (const char byte : bytes) Feed(static_cast<std::uint8_t>(byte));
}

std::vector<std::string> DisplayModel::Screen() const {
    std::vector<std::string> rows;
    for (int row = 1; row <= Rows(); ++row) rows.push_back(Row(row));
    return rows;
}

std::string DisplayModel::Reading(int row) const {
    std::string text;
    for (const char code : Row(row)) {
        const std::optional<char32_t> character = CharacterOf(static_cast<std::uint8_t>(code));
        text += character ? charset::Utf8Of(*character) : std::string(1, kUnreadable);
    }
    return text;
}

std::vector<std::string> DisplayModel::Readings() const {
    std::vector<std::string> rows;
    for (int row = 1; row <= Rows(); ++row) rows.push_back(Reading(row));
    return rows;
}

std::unique_ptr<DisplayModel> MakeDisplayModel(DisplayKind kind, charset::CharacterRom rom, charset::CodePage table) {
    if (kind == DisplayKind::kEscpos) return std::make_unique<EscposModel>(table);
    if (kind == DisplayKind::kCd5220) return std::make_unique<Cd5220Model>(table);
    return std::make_unique<Hd44780Model>(rom);
}
}  // namespace korv::sim
