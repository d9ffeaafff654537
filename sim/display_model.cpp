#include "sim/display_model.h"

#include "display/code_pages.h"

#include "sim/customer_display_model.h"
#include "sim/hd44780_model.h"

namespace korv::sim {

const char* KindName(DecodedByte::Kind kind) {
    switch (kind) {
        case DecodedByte::Kind::kPrefix: return "prefix";
        case DecodedByte::Kind::kParameter: return "parameter";
        case DecodedByte::Kind::kCharacter: return "character";
        case DecodedByte::Kind::kClear: return "clear";
        case DecodedByte::Kind::kClearLine: return "clear-line";
        case DecodedByte::Kind::kSetAddress: return "set-address";
        case DecodedByte::Kind::kBacklightOn: return "backlight-on";
        case DecodedByte::Kind::kBacklightOff: return "backlight-off";
        case DecodedByte::Kind::kBrightness: return "brightness";
        case DecodedByte::Kind::kInitialise: return "initialise";
        case DecodedByte::Kind::kScreenMode: return "screen-mode";
        case DecodedByte::Kind::kFunctionSet: return "function-set";
        case DecodedByte::Kind::kEntryMode: return "entry-mode";
        case DecodedByte::Kind::kDisplayControl: return "display-control";
        case DecodedByte::Kind::kCursorShift: return "cursor-shift";
        case DecodedByte::Kind::kSetCgramAddress: return "set-cgram-address";
        case DecodedByte::Kind::kCgramData: return "cgram-data";
        case DecodedByte::Kind::kOtherCommand: return "command";
        case DecodedByte::Kind::kUnknownCommand: return "unknown-command";
    }
    return "?";
}

void DisplayModel::Feed(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) Feed(data[i]);
}

void DisplayModel::Feed(const std::string& bytes) {
    Feed(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
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
    switch (kind) {
        case DisplayKind::kLcd: return std::make_unique<Hd44780Model>(rom);
        case DisplayKind::kEscpos: return std::make_unique<EscposModel>(table);
        case DisplayKind::kCd5220: return std::make_unique<Cd5220Model>(table);
    }
    return std::make_unique<Hd44780Model>(rom);
}

}  // namespace korv::sim
