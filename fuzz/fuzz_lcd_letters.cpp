// Any run of writes, clears, reconnects and power cuts on the 4x20 LCD with a code page:
// the display's model reads every letter on the screen as itself, or, while more than
// eight letters the ROM lacks stand on it, as its plain stand-in; never as anything
// else, and never a command it does not know. A reconnect, or a power cut (the
// display's own supply) followed by the clear of the next sale, meets a display that
// has lost its user-defined characters: a fresh model.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "display/display_driver.h"
#include "display/code_page_to_display.h"
#include "fuzz/fuzz_check.h"
#include "platform/fake/fake_platform.h"
#include "sim/hd44780_model.h"

namespace {
namespace charset = korv::charset;
namespace fake = korv::platform::fake;
constexpr int kRows = 4;
constexpr int kColumns = 20;

void CheckScreen(const korv::sim::Hd44780Model& model, const std::u32string (&written)[kRows],
                 charset::CharacterRom rom) {
    std::set<char32_t> drawn;
    for (const std::u32string& row : written)
        for (const char32_t letter : row) {
            const charset::LcdCharacter planned = charset::PlanCharacter(rom, letter);
            if (planned.kind == charset::LcdCharacter::Kind::kUserDefined) drawn.insert(planned.letter);
        }
    const bool room = drawn.size() <= static_cast<std::size_t>(korv::lcd::kUserCharacters);
    for (int row = 0; row < kRows; ++row) {
        const std::string shown = model.Row(row + 1);
        for (int column = 0; column < kColumns; ++column) {
            const char32_t letter = written[row][static_cast<std::size_t>(column)];
            const charset::LcdCharacter planned = charset::PlanCharacter(rom, letter);
            const std::optional<char32_t> read = model.CharacterOf(static_cast<std::uint8_t>(shown[column]));
            FUZZ_CHECK(read.has_value());
            if (planned.kind == charset::LcdCharacter::Kind::kUserDefined) {
                const char32_t plain = static_cast<unsigned char>(charset::PlainStandIn(planned.letter));
                FUZZ_CHECK(*read == planned.letter || (!room && *read == plain));
            } else {
                FUZZ_CHECK(*read == *charset::RomCharacter(rom, planned.code));
            }
        }
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    fake::Reset();
    fake::ComPort(1);
    const charset::CodePage page = charset::kCodePages[data[0] % std::size(charset::kCodePages)];
    const charset::CharacterRom rom = charset::kCharacterRoms[data[1] % std::size(charset::kCharacterRoms)];
    korv::DisplayDriver display;
    korv::DisplayGeometry geometry{1, 9600, kRows, kColumns, false};
    geometry.text = page;
    geometry.rom = rom;
    display.Open(geometry);
    std::optional<korv::sim::Hd44780Model> model(std::in_place, rom);
    std::u32string written[kRows];
    for (std::u32string& row : written) row.assign(kColumns, U' ');

    for (std::size_t at = 2; at + 3 <= size;) {
        const std::uint8_t what = data[at];
        const int row = 1 + what % kRows;
        const int column = 1 + data[at + 1] % kColumns;
        std::size_t length = data[at + 2] % (kColumns + 1);
        at += 3;
        if (what >= 0xF0) {
            model.emplace(rom);
            if (what >= 0xF8) display.Reconnect();
            else display.Clear();
            for (std::u32string& line : written) line.assign(kColumns, U' ');
        } else if (what >= 0xE0) {
            display.Clear();
            for (std::u32string& line : written) line.assign(kColumns, U' ');
        } else {
            std::string text;
            for (; length > 0 && at < size; --length, ++at)
                if (data[at] != 0) text += static_cast<char>(data[at]);  // a zero ends a text
            display.WriteText(text.c_str(), column, row);
            const std::u32string letters = charset::LettersOf(page, text);
            const std::size_t fits = std::min(letters.size(), static_cast<std::size_t>(kColumns - column + 1));
            written[row - 1].replace(static_cast<std::size_t>(column - 1), fits, letters, 0, fits);
        }
        model->Feed(std::exchange(fake::ComPort(1).received, std::string()));
        FUZZ_CHECK(model->UnknownCommands() == 0);
        CheckScreen(*model, written, rom);
    }
    return 0;
}
