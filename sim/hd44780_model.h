#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "sim/display_model.h"

namespace korv::sim {
// A 4x20 HD44780-compatible display with a switchable backlight: characters as plain
// bytes (0x00 to 0x0F the user-defined ones in CGRAM), commands behind the prefix 0xFE;
// rows start at DDRAM 0x00, 0x40, 0x14 and 0x54.
class Hd44780Model final : public DisplayModel {
public:
    static constexpr int kRows = 4;
    static constexpr int kColumns = 20;

    explicit Hd44780Model(charset::CharacterRom rom = charset::CharacterRom::kA00);

    using DisplayModel::Feed;
    DecodedByte Feed(std::uint8_t byte) override;

    int Rows() const override { return kRows; }
    std::string Row(int row) const override;
    bool BacklightOn() const override { return backlight_on_; }
    std::string LightText() const override { return backlight_on_ ? "backlight ON" : "backlight off"; }
    bool DisplayOn() const override { return display_on_; }
    std::string PlaceText(const DecodedByte& decoded) const override;
    // A user-defined character as the letter of its pattern, kNoLetter when it shows none.
    std::optional<char32_t> CharacterOf(std::uint8_t code) const override;
    std::uint8_t Address() const { return address_; }

private:
    DecodedByte Command(std::uint8_t command);
    DecodedByte Character(std::uint8_t byte);
    void Step(int direction);

    charset::CharacterRom rom_;
    std::array<std::uint8_t, 128> ddram_{};
    std::array<std::uint8_t, 64> cgram_{};
    std::uint8_t address_ = 0;
    std::uint8_t cgram_address_ = 0;
    bool prefix_pending_ = false;
    bool backlight_on_ = false;
    bool display_on_ = true;  // the display's own board switches it on at power-up
    bool increment_ = true;
    bool writing_cgram_ = false;
};
}  // namespace korv::sim
