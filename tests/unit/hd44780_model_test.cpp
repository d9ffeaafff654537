#include <gtest/gtest.h>

#include <string>

#include "sim/hd44780_model.h"
#include "tests/support/screen.h"

namespace korv::sim {
namespace {
using Kind = DecodedByte::Kind;

using test::kBlankRow;

std::string Cmd(unsigned char command) { return std::string("\xFE") + static_cast<char>(command); }
std::string At(unsigned char ddram_address) { return Cmd(static_cast<unsigned char>(0x80 | ddram_address)); }

std::string RowWith(const std::string& text, int column) {
    return test::TextRow(std::string(static_cast<std::size_t>(column - 1), ' ') + text);
}

TEST(Hd44780ModelAddressing, StartsBlankDarkAtAddressZeroAndSetAddressDecodesToTheRowsDdramAddresses) {
    Hd44780Model model;
    for (int row = 1; row <= 4; ++row) EXPECT_EQ(model.Row(row), kBlankRow) << row;
    EXPECT_FALSE(model.BacklightOn());
    EXPECT_TRUE(model.DisplayOn());
    EXPECT_EQ(model.Address(), 0);
    EXPECT_EQ(model.Row(0), "");
    EXPECT_EQ(model.Row(5), "");
    model.Feed(At(0x00) + "A" + At(0x40) + "B" + At(0x14) + "C" + At(0x54) + "D");
    EXPECT_EQ(model.Row(1), RowWith("A", 1));
    EXPECT_EQ(model.Row(2), RowWith("B", 1));
    EXPECT_EQ(model.Row(3), RowWith("C", 1));
    EXPECT_EQ(model.Row(4), RowWith("D", 1));

    model = Hd44780Model();
    EXPECT_EQ(model.Feed(0xFE).kind, Kind::kPrefix);
    const DecodedByte decoded = model.Feed(0xD3);
    EXPECT_EQ(decoded.kind, Kind::kSetAddress);
    EXPECT_EQ(decoded.address, 0x53);
    const DecodedByte shown = model.Feed('Q');
    EXPECT_EQ(shown.kind, Kind::kCharacter);
    EXPECT_EQ(shown.address, 0x53);  // where it was written
    EXPECT_EQ(model.Row(2), RowWith("Q", 20));
}

TEST(Hd44780ModelAddressing, WritingRunsOnAsTheDdramLinesDo) {
    const struct {
        unsigned char start;
        int row_of_x, row_of_y;
        int address_after;
    } cases[] = {
        {0x13, 1, 3, 0x15},  // row one runs on into row three
        {0x27, 3, 2, 0x41},  // the first line wraps into the second
        {0x67, 4, 1, 0x01},  // the second line wraps into the first
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        Hd44780Model model;
        model.Feed(At(c.start) + "XY");
        EXPECT_EQ(model.Row(c.row_of_x), RowWith("X", 20));
        EXPECT_EQ(model.Row(c.row_of_y), RowWith("Y", 1));
        EXPECT_EQ(model.Address(), c.address_after);
    }
}

TEST(Hd44780ModelCommands, ClearBlanksHomesAndRestoresIncrementAndDisplayOffHidesRowsButKeepsThem) {
    Hd44780Model model;
    model.Feed(At(0x40) + "ABC" + Cmd(0x04) + Cmd(0x01));
    for (int row = 1; row <= 4; ++row) EXPECT_EQ(model.Row(row), kBlankRow) << row;
    EXPECT_EQ(model.Address(), 0);
    EXPECT_EQ(model.Clears(), 1u);
    model.Feed("AB");
    EXPECT_EQ(model.Row(1), RowWith("AB", 1));

    model.Feed(At(0x00) + "HELLO" + Cmd(0x08));
    EXPECT_FALSE(model.DisplayOn());
    EXPECT_EQ(model.VisibleRow(1), kBlankRow);
    EXPECT_EQ(model.Row(1), RowWith("HELLO", 1));
    model.Feed(Cmd(0x0C));
    EXPECT_TRUE(model.DisplayOn());
    EXPECT_EQ(model.VisibleRow(1), RowWith("HELLO", 1));
}

TEST(Hd44780ModelCommands, BacklightFollowsItsTwoCommandsAndCommandsOutsideTheProtocolAreCounted) {
    Hd44780Model model;
    model.Feed(0xFE);
    EXPECT_EQ(model.Feed(0x03).kind, Kind::kBacklightOn);
    EXPECT_TRUE(model.BacklightOn());
    model.Feed(0xFE);
    EXPECT_EQ(model.Feed(0x02).kind, Kind::kBacklightOff);
    EXPECT_FALSE(model.BacklightOn());
    EXPECT_EQ(model.Address(), 0);  // not a "return home" on this display
    EXPECT_EQ(model.UnknownCommands(), 0u);
    EXPECT_EQ(model.CommandsSeen(), 2u);
    model.Feed(0xFE);
    EXPECT_EQ(model.Feed(0x00).kind, Kind::kUnknownCommand);
    model.Feed(Cmd(0x04) + Cmd(0x08) + Cmd(0x18));
    EXPECT_EQ(model.UnknownCommands(), 4u);
    EXPECT_EQ(model.CommandsSeen(), 6u);
    model.Feed(At(0x10) + Cmd(0x02) + Cmd(0x03) + Cmd(0x0C));
    EXPECT_EQ(model.UnknownCommands(), 4u);
    EXPECT_EQ(model.CommandsSeen(), 10u);
}

TEST(Hd44780ModelCommands, CursorLeftAndEntryModeDecrementStepBackAndWrapBelowZero) {
    Hd44780Model model;
    model.Feed(At(0x05) + Cmd(0x10) + "X");
    EXPECT_EQ(model.Row(1), RowWith("X", 5));
    model.Feed(At(0x00) + Cmd(0x10));
    EXPECT_EQ(model.Address(), 0x67);
    model.Feed(At(0x05) + Cmd(0x04) + "AB");
    EXPECT_EQ(model.Row(1), RowWith("BA", 5));
    EXPECT_EQ(model.Address(), 0x03);
    model.Feed(Cmd(0x06) + "C");
    EXPECT_EQ(model.Row(1), RowWith("CBA", 4));
}

TEST(Hd44780ModelCommands, BringUpSequenceLeavesABlankScreen) {
    Hd44780Model model;
    model.Feed(At(0x00) + "junk");
    model.Feed(Cmd(0x30) + Cmd(0x30) + Cmd(0x30) + Cmd(0x38) + Cmd(0x06) + Cmd(0x10) +
               Cmd(0x0C) + Cmd(0x01) + Cmd(0x01));
    for (int row = 1; row <= 4; ++row) EXPECT_EQ(model.VisibleRow(row), kBlankRow) << row;
    EXPECT_EQ(model.Address(), 0);
    EXPECT_EQ(model.Clears(), 2u);
    EXPECT_EQ(model.CommandsSeen(), 10u);
    EXPECT_EQ(model.UnknownCommands(), 0u);
    EXPECT_EQ(model.BytesReceived(), 4u + 2u + 18u);
}

TEST(Hd44780ModelCommands, CgramDataStaysOffTheScreen) {
    Hd44780Model model;
    model.Feed(At(0x00) + "A" + Cmd(0x48));
    EXPECT_EQ(model.Feed(0x1F).kind, Kind::kCgramData);
    model.Feed("");
    EXPECT_EQ(model.Row(1), RowWith("A", 1));
    EXPECT_EQ(model.Address(), 0x01);
    model.Feed(At(0x01) + "B");  // a DDRAM address ends the CGRAM writes
    EXPECT_EQ(model.Row(1), RowWith("AB", 1));
}

TEST(Hd44780ModelCharacters, EveryByteButThePrefixIsShownAsItIs) {
    Hd44780Model model;
    for (int byte = 0x00; byte <= 0xFF; ++byte) {
        if (byte == 0xFE) continue;
        model.Feed(At(0x00));
        EXPECT_EQ(model.Feed(static_cast<std::uint8_t>(byte)).kind, Kind::kCharacter) << byte;
        EXPECT_EQ(static_cast<unsigned char>(model.Row(1)[0]), byte);
    }
    EXPECT_EQ(model.UnknownCommands(), 0u);
}
}  // namespace
}  // namespace korv::sim
