#include "display/code_page_to_display.h"

#include <algorithm>
#include <optional>

namespace korv::charset {
std::uint8_t TableByte(CodePage table, char32_t letter) {
    return ByteOf(table, letter).value_or(static_cast<std::uint8_t>(PlainStandIn(letter)));
}

LcdCharacter PlanCharacter(CharacterRom rom, char32_t letter) {
    if (const std::optional<std::uint8_t> code = RomCodeOf(rom, letter)) return {LcdCharacter::Kind::kRom, *code, letter};
    if (PatternOf(letter)) return {LcdCharacter::Kind::kUserDefined, 0, letter};
    return {LcdCharacter::Kind::kStandIn, static_cast<std::uint8_t>(PlainStandIn(letter)), letter};
}

ScreenPlan PlanScreen(CharacterRom rom, const std::vector<std::u32string>& rows, const UserCharacters& loaded) {
    std::vector<std::vector<LcdCharacter>> planned;
    std::array<bool, lcd::kUserCharacters> taken{};  // characters holding a letter on the screen
    std::vector<char32_t> unplaced;                  // letters in none yet, as they first appear
    for (const std::u32string& row : rows) {
        planned.emplace_back();
        for (const char32_t letter : row) {
            planned.back().push_back(PlanCharacter(rom, letter));
            if (planned.back().back().kind != LcdCharacter::Kind::kUserDefined) continue;
            const auto held = std::find(loaded.begin(), loaded.end(), letter);
            if (held != loaded.end())
                taken[static_cast<std::size_t>(held - loaded.begin())] = true;
            else if (std::find(unplaced.begin(), unplaced.end(), letter) == unplaced.end())
                unplaced.push_back(letter);
        }
    }
    ScreenPlan plan;
    plan.characters = loaded;
    // Empty characters first, so that a letter that comes back may find its pattern.
    for (const bool empty_first : {true, false}) {
        for (std::size_t slot = 0; slot < taken.size() && !unplaced.empty(); ++slot) {
            if (taken[slot] || (empty_first && plan.characters[slot] != 0)) continue;
            plan.characters[slot] = unplaced.front();
            plan.load[slot] = taken[slot] = true;
            unplaced.erase(unplaced.begin());
        }
    }
    for (const std::vector<LcdCharacter>& row : planned) {
        std::string bytes;
        for (const LcdCharacter& character : row) {
            std::uint8_t code = character.code;
            if (character.kind == LcdCharacter::Kind::kUserDefined) {
                const auto slot = std::find(plan.characters.begin(), plan.characters.end(), character.letter);
                code = static_cast<std::uint8_t>(slot == plan.characters.end() ? PlainStandIn(character.letter)
                                                 : lcd::kFirstUserCode + (slot - plan.characters.begin()));
            }
            bytes += static_cast<char>(code);
        }
        plan.rows.push_back(bytes);
    }
    return plan;
}
}  // namespace korv::charset
