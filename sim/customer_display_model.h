#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "display/code_pages.h"
#include "sim/display_model.h"

namespace korv::sim {
// A 2x20 customer display of either public command set: a command does the same in both,
// so one machine decodes both from one table. A command is its lead (ESC or US), its code
// and a fixed number of parameters; control bytes below 0x20 act alone. Commands of
// variable length (user-defined characters, string modes) count as unknown. Characters
// from 0x80 on are those of the power-on table, or of the one chosen where the set can.
class CustomerDisplayModel : public DisplayModel {
public:
    static constexpr int kRows = 2;
    static constexpr int kColumns = 20;
    static constexpr int kBrightest = 4;

    enum class Mode { kOverwrite, kVerticalScroll, kHorizontalScroll };
    // Defined beside the command table.
    enum class Action : std::uint8_t;
    struct Command;

    using DisplayModel::Feed;
    DecodedByte Feed(std::uint8_t byte) override;

    int Rows() const override { return kRows; }
    std::string Row(int row) const override { return row >= 1 && row <= kRows ? rows_[row - 1] : std::string(); }
    bool BacklightOn() const override { return brightness_ == kBrightest; }
    std::string LightText() const override;
    std::string PlaceText(const DecodedByte& decoded) const override;
    std::optional<char32_t> CharacterOf(std::uint8_t code) const override;

    int Brightness() const { return brightness_; }
    int CursorRow() const { return row_; }
    int CursorColumn() const { return column_; }
    bool CursorShown() const { return cursor_shown_; }
    Mode ScreenMode() const { return mode_; }

protected:
    CustomerDisplayModel(DisplayKind kind, charset::CodePage table);

private:
    const Command* Find(std::uint8_t lead, std::uint8_t code) const;
    bool IsLead(std::uint8_t byte) const;
    DecodedByte Execute(Action action, std::uint8_t byte);
    DecodedByte Character(std::uint8_t byte);
    DecodedByte Decoded(DecodedByte::Kind kind, std::uint8_t byte) const;
    void Reset();
    void Blank(int row) { rows_[row - 1].assign(kColumns, ' '); }
    // One place on: at a line's end by the mode's rule. True when the lines scrolled up.
    bool Advance();
    void Back();
    void LineUp();
    void LineDown();
    void ScrollUp() {
        rows_[0] = rows_[1];
        Blank(2);
    }

    const DisplayProtocol& protocol_;
    charset::CodePage power_on_table_;        // as its switches set it
    std::optional<charset::CodePage> table_;  // none: a table number the model does not know
    std::array<std::string, kRows> rows_;
    int row_ = 1;
    int column_ = 1;
    bool held_at_end_ = false;  // horizontal scroll: the next character shifts the line
    int brightness_ = kBrightest;
    bool cursor_shown_ = true;
    Mode mode_ = Mode::kOverwrite;
    const Command* pending_ = nullptr;  // a command whose parameters are still coming
    std::uint8_t lead_ = 0;             // a lead seen, its code not yet
    std::uint8_t parameters_[4] = {};
    int parameters_seen_ = 0;
};

// The model of one kind's command set.
template <DisplayKind kKind>
class CommandSetModel final : public CustomerDisplayModel {
public:
    explicit CommandSetModel(charset::CodePage table = DisplayGeometry().table) : CustomerDisplayModel(kKind, table) {}
};
using EscposModel = CommandSetModel<DisplayKind::kEscpos>;
using Cd5220Model = CommandSetModel<DisplayKind::kCd5220>;
}  // namespace korv::sim
