#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "display/display_driver.h"
#include "platform/port_facts.h"
#include "tests/support/runner.h"

namespace korv {
namespace {

using test::Hex;

const std::string kOpen = Hex(test::wire::kOpen);
const std::string kOpenLit = Hex(test::wire::kOpenLit);
const std::string kBlankRow(20, ' ');

// Expected line bytes: a cursor address, then the text's own bytes.
std::string CursorThen(const std::string& address_hex, const std::string& text) {
    return text.empty() ? "FE " + address_hex : "FE " + address_hex + " " + Hex(text);
}

std::string RowWith(const std::string& text, int column) {
    std::string row = kBlankRow;
    row.replace(static_cast<std::size_t>(column - 1), text.size(), text);
    return row;
}

// COM5 in a scratch working directory is a pseudo-terminal; the test reads its far side.
class DisplayDriverTest : public ::testing::Test {
protected:
    // What reached COM5 since the last call, as hexadecimal pairs.
    std::string Sent() { return Hex(tap_.CatchUp()); }

    void OpenAndDrain(DisplayGeometry geometry = {5, 9600, 4, 20, false}) {
        ASSERT_TRUE(display_.Open(geometry));
        Sent();
    }

    test::Runner run_;
    test::WorkingDirectory here_{run_.Dir().Path()};
    test::DisplayTap& tap_ = run_.Port(5);
    DisplayDriver display_;
};

// --- Bring-up --------------------------------------------------------------------

TEST_F(DisplayDriverTest, OpenPortSendsTheEighteenByteBringUp) {
    EXPECT_EQ(display_.Columns(), 0);
    EXPECT_TRUE(display_.OpenPort(5));
    EXPECT_EQ(Sent(), kOpen);
    EXPECT_EQ(display_.Columns(), 20);
    EXPECT_TRUE(display_.IsOpen());
    EXPECT_FALSE(display_.BacklightOn());
    const sim::Hd44780Model& model = tap_.Model();
    EXPECT_FALSE(model.BacklightOn());
    EXPECT_TRUE(model.DisplayOn());
    for (int row = 1; row <= 4; ++row) EXPECT_EQ(model.VisibleRow(row), kBlankRow);
}

TEST_F(DisplayDriverTest, OpenWithBacklightSendsTwentyBytesAndRecordsOn) {
    EXPECT_TRUE(display_.Open({5, 9600, 4, 20, true}));
    EXPECT_EQ(Sent(), kOpenLit);
    EXPECT_TRUE(display_.BacklightOn());
    EXPECT_TRUE(tap_.Model().BacklightOn());
}

TEST_F(DisplayDriverTest, OpenOnAMissingPortFailsAndSendsNothing) {
    EXPECT_FALSE(display_.OpenPort(7));
    EXPECT_FALSE(display_.IsOpen());
    EXPECT_EQ(display_.Columns(), 0);
    display_.WriteText("X", 1, 1);
    display_.Clear();
    EXPECT_EQ(Sent(), "");
}

TEST_F(DisplayDriverTest, FailedOpenOfAnOpenDisplayLeavesItClosed) {
    ASSERT_TRUE(display_.OpenPort(5));
    Sent();
    EXPECT_FALSE(display_.OpenPort(7));
    EXPECT_FALSE(display_.IsOpen());
    EXPECT_TRUE(display_.Unreachable()) << "port 7 is watched for";
    display_.WriteText("X", 1, 1);
    display_.Close();
    EXPECT_EQ(Sent(), "") << "COM5 was let go";

    DisplayDriver other;
    EXPECT_TRUE(other.OpenPort(5)) << "and released";
}

TEST_F(DisplayDriverTest, OpenOnAnOpenDisplayBringsItUpAgain) {
    ASSERT_TRUE(display_.OpenPort(5));
    ASSERT_TRUE(display_.OpenPort(5));
    EXPECT_EQ(Sent(), kOpen + " " + kOpen);
}

// --- Cursor addresses ----------------------------------------------------------------

TEST_F(DisplayDriverTest, CursorBytesOnTwentyByFour) {
    ASSERT_NO_FATAL_FAILURE(OpenAndDrain());
    display_.WriteText("TOTAL TAX", 1, 3);
    EXPECT_EQ(Sent(), CursorThen("94", "TOTAL TAX"));
    display_.WriteText("12.34", 16, 4);
    EXPECT_EQ(Sent(), CursorThen("E3", "12.34"));
    display_.WriteText("A", 1, 1);
    EXPECT_EQ(Sent(), CursorThen("80", "A"));
    display_.WriteText("B", 1, 2);
    EXPECT_EQ(Sent(), CursorThen("C0", "B"));
    display_.WriteText("Z", 20, 2);
    EXPECT_EQ(Sent(), CursorThen("D3", "Z"));

    const sim::Hd44780Model& model = tap_.Model();
    EXPECT_EQ(model.Row(1), RowWith("A", 1));
    EXPECT_EQ(model.Row(2), RowWith("B", 1).substr(0, 19) + "Z");
    EXPECT_EQ(model.Row(3), RowWith("TOTAL TAX", 1));
    EXPECT_EQ(model.Row(4), RowWith("12.34", 16));
}

TEST_F(DisplayDriverTest, CursorBytesOnSixteenColumns) {
    ASSERT_NO_FATAL_FAILURE(OpenAndDrain({5, 9600, 4, 16, false}));
    EXPECT_EQ(display_.Columns(), 16);
    display_.WriteText("C", 1, 3);
    EXPECT_EQ(Sent(), CursorThen("90", "C"));
    display_.WriteText("D", 1, 4);
    EXPECT_EQ(Sent(), CursorThen("D0", "D"));
    display_.WriteText("A", 1, 1);
    EXPECT_EQ(Sent(), CursorThen("80", "A"));
    display_.WriteText("B", 1, 2);
    EXPECT_EQ(Sent(), CursorThen("C0", "B"));
    display_.WriteText("ABCDEFGHIJKLMNOPQRST", 1, 1);
    EXPECT_EQ(Sent(), CursorThen("80", "ABCDEFGHIJKLMNOP"));
}

TEST_F(DisplayDriverTest, CursorBytesOnTwoRows) {
    ASSERT_NO_FATAL_FAILURE(OpenAndDrain({5, 9600, 2, 20, false}));
    display_.WriteText("C", 1, 3);
    EXPECT_EQ(Sent(), CursorThen("90", "C"));
    display_.WriteText("D", 1, 4);
    EXPECT_EQ(Sent(), CursorThen("D0", "D"));
    display_.WriteText("E", 20, 2);
    EXPECT_EQ(Sent(), CursorThen("D3", "E"));
}

// --- Text ------------------------------------------------------------------------

TEST_F(DisplayDriverTest, TextIsCutAtTheLastColumn) {
    ASSERT_NO_FATAL_FAILURE(OpenAndDrain());
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXY";  // 25
    display_.WriteText(letters.c_str(), 1, 1);
    EXPECT_EQ(Sent(), CursorThen("80", letters.substr(0, 20)));
    display_.WriteText("0123456789", 15, 2);
    EXPECT_EQ(Sent(), CursorThen("CE", "012345"));
    display_.WriteText("abcdef", 15, 3);  // fits exactly
    EXPECT_EQ(Sent(), CursorThen("A2", "abcdef"));
    display_.WriteText("beyond", 21, 1);  // no room at all
    EXPECT_EQ(Sent(), CursorThen("94", ""));

    const sim::Hd44780Model& model = tap_.Model();
    EXPECT_EQ(model.Row(1), letters.substr(0, 20));
    EXPECT_EQ(model.Row(2), RowWith("012345", 15));
    EXPECT_EQ(model.Row(3), RowWith("abcdef", 15));
}

TEST_F(DisplayDriverTest, NullAndEmptyTextsSendOnlyTheCursor) {
    ASSERT_NO_FATAL_FAILURE(OpenAndDrain());
    display_.WriteText(nullptr, 3, 2);
    EXPECT_EQ(Sent(), "FE C2");
    display_.WriteText("", 1, 4);
    EXPECT_EQ(Sent(), "FE D4");
    EXPECT_EQ(tap_.Model().Address(), 0x54);
}

TEST_F(DisplayDriverTest, PrefixByteInTextGoesOutAsABlank) {
    ASSERT_NO_FATAL_FAILURE(OpenAndDrain());
    const std::uint64_t commands_before = tap_.Model().CommandsSeen();
    display_.WriteText("AB\xFE" "CD", 1, 1);
    EXPECT_EQ(Sent(), "FE 80 41 42 20 43 44");
    display_.WriteText("\xFE", 20, 4);
    EXPECT_EQ(Sent(), "FE E7 20");
    const sim::Hd44780Model& model = tap_.Model();
    EXPECT_EQ(model.Row(1), RowWith("AB CD", 1));
    EXPECT_EQ(model.Row(4), kBlankRow);
    EXPECT_EQ(model.CommandsSeen(), commands_before + 2) << "only the two cursor commands";
}

TEST_F(DisplayDriverTest, EveryOtherTextByteGoesOutUnchanged) {
    ASSERT_NO_FATAL_FAILURE(OpenAndDrain());
    std::string all;
    for (int byte = 0x01; byte <= 0xFF; ++byte) all += static_cast<char>(byte);
    std::string expected;
    int writes = 0;
    for (std::size_t start = 0; start < all.size(); start += 20, ++writes) {
        std::string chunk = all.substr(start, 20);
        display_.WriteText(chunk.c_str(), 1, 1);
        for (char& byte : chunk)
            if (static_cast<unsigned char>(byte) == 0xFE) byte = ' ';
        expected += (expected.empty() ? "" : " ") + CursorThen("80", chunk);
    }
    EXPECT_EQ(Sent(), expected);
    EXPECT_EQ(tap_.Model().UnknownCommands(), 0u);
    EXPECT_EQ(tap_.Model().CommandsSeen(), 9u + static_cast<unsigned>(writes));
}

// --- Closed display and backlight ---------------------------------------------------

TEST_F(DisplayDriverTest, NothingIsSentWhileClosed) {
    display_.Clear();
    display_.WriteText("HI", 1, 1);
    display_.SetBacklight(true);
    display_.ToggleBacklight();
    EXPECT_EQ(Sent(), "");

    ASSERT_TRUE(display_.OpenPort(5));
    display_.Close();
    Sent();
    display_.Clear();
    display_.WriteText("HI", 1, 1);
    display_.SetBacklight(true);
    EXPECT_TRUE(display_.BacklightOn()) << "recorded while closed";
    EXPECT_EQ(Sent(), "");
}

TEST_F(DisplayDriverTest, CloseClearsDarkensAndReleasesThePort) {
    ASSERT_NO_FATAL_FAILURE(OpenAndDrain({5, 9600, 4, 20, true}));
    display_.WriteText("SALE", 1, 1);
    Sent();
    display_.Close();
    EXPECT_EQ(Sent(), "FE 01 FE 02");
    EXPECT_FALSE(display_.IsOpen());
    EXPECT_FALSE(display_.BacklightOn());
    EXPECT_FALSE(tap_.Model().BacklightOn());
    EXPECT_EQ(tap_.Model().Row(1), kBlankRow);

    DisplayDriver other;
    EXPECT_TRUE(other.OpenPort(5)) << "the port was released";
    EXPECT_EQ(Sent(), kOpen);
}

TEST_F(DisplayDriverTest, CloseOfANeverOpenedDisplaySendsNothingAndLeavesBacklightOff) {
    display_.ToggleBacklight();
    EXPECT_TRUE(display_.BacklightOn());
    display_.Close();
    EXPECT_FALSE(display_.BacklightOn());
    EXPECT_FALSE(display_.IsOpen());
    EXPECT_EQ(Sent(), "");
}

TEST_F(DisplayDriverTest, ToggleWhileClosedIsRecordedAndActsAfterOpen) {
    display_.ToggleBacklight();
    EXPECT_EQ(Sent(), "");
    EXPECT_TRUE(display_.BacklightOn());

    ASSERT_TRUE(display_.OpenPort(5));
    EXPECT_EQ(Sent(), kOpen) << "an open without backlight sends nothing about it";
    EXPECT_TRUE(display_.BacklightOn());

    display_.ToggleBacklight();
    EXPECT_EQ(Sent(), "FE 02");
    EXPECT_FALSE(display_.BacklightOn());
    display_.ToggleBacklight();
    EXPECT_EQ(Sent(), "FE 03");
    EXPECT_TRUE(display_.BacklightOn());
    EXPECT_TRUE(tap_.Model().BacklightOn());
}

TEST_F(DisplayDriverTest, SetBacklightAndClearWhileOpen) {
    ASSERT_NO_FATAL_FAILURE(OpenAndDrain());
    display_.SetBacklight(true);
    EXPECT_EQ(Sent(), "FE 03");
    display_.SetBacklight(true);
    EXPECT_EQ(Sent(), "FE 03") << "sent again, not only on a change";
    display_.WriteText("X", 5, 2);
    Sent();
    display_.Clear();
    EXPECT_EQ(Sent(), "FE 01");
    EXPECT_EQ(tap_.Model().Row(2), kBlankRow);
    EXPECT_TRUE(tap_.Model().BacklightOn());
}

// What korvpole-check reads from the driver: why an open failed, and how many bytes an
// open port did not take.
TEST_F(DisplayDriverTest, TellsWhyItDidNotOpenAndCountsBytesNotTaken) {
    ASSERT_EQ(symlink("/nonexistent/ttyUSB9", "COM9"), 0);
    EXPECT_FALSE(display_.OpenPort(9));
    EXPECT_EQ(display_.LastOpenFailure(), platform::OpenFailure::kNoDevice);
    EXPECT_EQ(platform::DescribePort(9).leads_to, "/nonexistent/ttyUSB9");

    ASSERT_TRUE(display_.OpenPort(5));
    EXPECT_EQ(display_.LastOpenFailure(), platform::OpenFailure::kNone);
    display_.WriteText("ABC", 1, 1);
    EXPECT_EQ(display_.BytesNotTaken(), 0u);
    run_.Unplug(5);
    display_.WriteText("ABC", 1, 1);  // cursor address and three characters
    display_.Clear();
    EXPECT_EQ(display_.BytesNotTaken(), 7u);
    EXPECT_TRUE(display_.Unreachable());
}

}  // namespace
}  // namespace korv
