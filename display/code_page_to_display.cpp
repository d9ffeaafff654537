#include "display/code_page_to_display.h"

#include <algorithm>
#include <optional>

namespace korv::charset {

namespace {

constexpr int kNoSlot = -1;

int SlotHolding(const UserCharacters& characters, char32_t letter) {
    for (int slot = 0; slot < lcd::kUserCharacters; ++slot)
        if (characters[static_cast<std::size_t>(slot)] == letter) return slot;
    return kNoSlot;
}

}  // namespace

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
    std::vector<char32_t> wanted;  // letters needing a pattern, as they first appear
    for (const std::u32string& row : rows) {
        planned.emplace_back();
        for (const char32_t letter : row) {
            const LcdCharacter character = PlanCharacter(rom, letter);
            planned.back().push_back(character);
            if (character.kind == LcdCharacter::Kind::kUserDefined &&
                std::find(wanted.begin(), wanted.end(), character.letter) == wanted.end())
                wanted.push_back(character.letter);
        }
    }

    ScreenPlan plan;
    plan.characters = loaded;
    std::array<bool, lcd::kUserCharacters> taken{};
    std::vector<char32_t> unplaced;
    for (const char32_t letter : wanted) {
        const int slot = SlotHolding(loaded, letter);
        if (slot != kNoSlot && !taken[static_cast<std::size_t>(slot)])
            taken[static_cast<std::size_t>(slot)] = true;
        else
            unplaced.push_back(letter);
    }
    // Empty characters first, so that a letter that comes back may find its pattern.
    for (const bool empty_first : {true, false}) {
        for (int slot = 0; slot < lcd::kUserCharacters && !unplaced.empty(); ++slot) {
            const auto index = static_cast<std::size_t>(slot);
            if (taken[index] || (empty_first && plan.characters[index] != 0)) continue;
            plan.characters[index] = unplaced.front();
            plan.load[index] = true;
            taken[index] = true;
            unplaced.erase(unplaced.begin());
        }
    }

    for (const std::vector<LcdCharacter>& row : planned) {
        std::string bytes;
        for (const LcdCharacter& character : row) {
            std::uint8_t code = character.code;
            if (character.kind == LcdCharacter::Kind::kUserDefined) {
                const int slot = SlotHolding(plan.characters, character.letter);
                const bool placed = slot != kNoSlot && taken[static_cast<std::size_t>(slot)];
                code = placed ? static_cast<std::uint8_t>(lcd::kFirstUserCode + slot)
                              : static_cast<std::uint8_t>(PlainStandIn(character.letter));
            }
            bytes += static_cast<char>(code);
        }
        plan.rows.push_back(bytes);
    }
    return plan;
}

}  // namespace korv::charset
