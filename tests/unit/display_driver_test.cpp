#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "display/display_driver.h"
#include "platform/fake/fake_platform.h"
#include "sim/hd44780_model.h"
#include "tests/support/screen.h"

namespace korv::test {
namespace {
namespace fake = platform::fake;

const std::string kOpen = Hex(wire::kOpen);

std::string CursorThen(const std::string& address_hex, const std::string& text) {
    return text.empty() ? "FE " + address_hex : "FE " + address_hex + " " + Hex(text);
}

class DisplayDriverTest : public ::testing::Test {
protected:
    DisplayDriverTest() {
        fake::Reset();
        fake::ComPort(5);
    }

    std::string Sent() {
        const std::string bytes = std::exchange(fake::ComPort(5).received, std::string());
        model_.Feed(bytes);
        return Hex(bytes);
    }

    void OpenAndDrain(DisplayGeometry geometry = {5, 9600, 4, 20, false}) {
        ASSERT_FALSE(display_.Open(geometry));
        Sent();
    }

    sim::Hd44780Model model_;
    DisplayDriver display_;
};

TEST_F(DisplayDriverTest, FailedOpenLetsGoOfThePortItHadAndBytesAPortDidNotTakeAreCounted) {
    EXPECT_EQ(display_.Open({7}).cause, platform::OpenFailure::kNoDevice);
    EXPECT_EQ(display_.Columns(), 0);
    display_.WriteText("X", 1, 1);
    EXPECT_EQ(Sent(), "");

    ASSERT_FALSE(display_.Open({5}));
    Sent();
    EXPECT_TRUE(display_.Open({7}));
    EXPECT_FALSE(display_.IsOpen());
    EXPECT_TRUE(display_.Unreachable()) << "port 7 is watched for";
    display_.WriteText("X", 1, 1);
    display_.Clear();
    display_.Close();
    EXPECT_EQ(Sent(), "") << "COM5 was let go";

    DisplayDriver other;
    EXPECT_FALSE(other.Open({5})) << "and released";
    other.WriteText("ABC", 1, 1);
    EXPECT_EQ(other.BytesNotTaken(), 0u);
    fake::Unplug(5);
    other.WriteText("ABC", 1, 1);  // cursor address and three characters
    other.Clear();
    EXPECT_EQ(other.BytesNotTaken(), 7u);
    EXPECT_TRUE(other.Unreachable());
}

// With a code page, ASCII goes the way of the shop's letters and must come out the same.
TEST_F(DisplayDriverTest, CursorAddressFollowsTheGeometryAndTextIsCutAtTheLastColumn) {
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXY";  // 25
    const struct {
        int rows, columns;
        const char* text;
        int column, row;
        const char* address;
        std::string sent;
    } cases[] = {
        {4, 16, "C", 1, 3, "90", "C"}, {4, 16, "D", 1, 4, "D0", "D"}, {4, 16, "A", 1, 1, "80", "A"},
        {4, 16, "B", 1, 2, "C0", "B"}, {4, 16, "ABCDEFGHIJKLMNOPQRST", 1, 1, "80", "ABCDEFGHIJKLMNOP"},
        {2, 20, "C", 1, 3, "90", "C"}, {2, 20, "D", 1, 4, "D0", "D"}, {2, 20, "E", 20, 2, "D3", "E"},
        {4, 20, "TOTAL TAX", 1, 3, "94", "TOTAL TAX"}, {4, 20, "12.34", 16, 4, "E3", "12.34"},
        {4, 20, "A", 1, 1, "80", "A"}, {4, 20, "B", 1, 2, "C0", "B"}, {4, 20, "Zed", 20, 2, "D3", "Z"},
        {4, 20, letters.c_str(), 1, 1, "80", letters.substr(0, 20)},
        {4, 20, "0123456789", 15, 2, "CE", "012345"},
        {4, 20, "abcdef", 15, 3, "A2", "abcdef"},  // fits exactly
        {4, 20, "beyond", 21, 1, "94", ""},        // no room at all
        {4, 20, "X", 22, 1, "95", ""},
        {4, 20, nullptr, 3, 2, "C2", ""},
        {4, 20, "", 1, 4, "D4", ""},
    };
    const std::optional<charset::CodePage> texts[] = {std::nullopt, charset::CodePage::kCp1252};
    for (const std::optional<charset::CodePage>& text : texts) {
        int columns = 0, rows = 0;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(c.columns) + "x" + std::to_string(c.rows) + " at column " +
                         std::to_string(c.column) + " row " + std::to_string(c.row) + (text ? " in cp1252" : ""));
            if (c.columns != columns || c.rows != rows) {
                DisplayGeometry geometry{5, 9600, c.rows, c.columns, false};
                geometry.text = text;
                ASSERT_NO_FATAL_FAILURE(OpenAndDrain(geometry));
                EXPECT_EQ(display_.Columns(), c.columns);
                columns = c.columns;
                rows = c.rows;
            }
            display_.WriteText(c.text, c.column, c.row);
            EXPECT_EQ(Sent(), CursorThen(c.address, c.sent));
        }
    }
    EXPECT_EQ(model_.Row(1), letters.substr(0, 20));
    EXPECT_EQ(model_.Row(2), TextRow("B").substr(0, 14) + "012345");
    EXPECT_EQ(model_.Row(3), TextRow("TOTAL TAX").substr(0, 14) + "abcdef");
    EXPECT_EQ(model_.Row(4), TextRow(std::string(15, ' ') + "12.34"));
    EXPECT_EQ(model_.Address(), 0x54);
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
    EXPECT_EQ(Sent(), expected) << "0xFE, the command prefix, goes out as a blank";
    EXPECT_EQ(model_.UnknownCommands(), 0u);
    EXPECT_EQ(model_.CommandsSeen(), 9u + static_cast<unsigned>(writes));
    display_.WriteText("\xFE", 20, 4);
    EXPECT_EQ(Sent(), "FE E7 20");
    EXPECT_EQ(model_.Row(4), kBlankRow);
}

TEST_F(DisplayDriverTest, WhileClosedNothingIsSentAndTheBacklightIsOnlyRecorded) {
    display_.ToggleBacklight();
    EXPECT_TRUE(display_.BacklightOn());
    display_.Close();
    EXPECT_FALSE(display_.BacklightOn()) << "a close darkens, even of a display never opened";
    display_.Clear();
    display_.WriteText("HI", 1, 1);
    display_.ToggleBacklight();
    EXPECT_EQ(Sent(), "");
    EXPECT_TRUE(display_.BacklightOn());

    ASSERT_FALSE(display_.Open({5}));
    EXPECT_EQ(Sent(), kOpen) << "an open without backlight sends nothing about it";
    EXPECT_TRUE(display_.BacklightOn());
    display_.ToggleBacklight();
    EXPECT_EQ(Sent(), "FE 02");
    EXPECT_FALSE(display_.BacklightOn());
    display_.ToggleBacklight();
    EXPECT_EQ(Sent(), "FE 03");
    EXPECT_TRUE(model_.BacklightOn());

    display_.Close();
    Sent();
    display_.Clear();
    display_.WriteText("HI", 1, 1);
    display_.SetBacklight(true);
    EXPECT_TRUE(display_.BacklightOn()) << "recorded while closed";
    EXPECT_EQ(Sent(), "");
}

TEST_F(DisplayDriverTest, EachOpenBringsItUpBacklightAndClearGoOutWhileOpenAndCloseClearsDarkensAndReleases) {
    EXPECT_EQ(display_.Columns(), 0);
    EXPECT_FALSE(display_.Open({5}));
    EXPECT_FALSE(display_.Open({5}));
    EXPECT_EQ(Sent(), kOpen + " " + kOpen);
    EXPECT_EQ(display_.Columns(), 20);
    EXPECT_TRUE(display_.IsOpen());
    EXPECT_FALSE(display_.BacklightOn());
    EXPECT_FALSE(model_.BacklightOn());
    EXPECT_TRUE(model_.DisplayOn());
    for (int row = 1; row <= 4; ++row) EXPECT_EQ(model_.VisibleRow(row), kBlankRow);

    display_.SetBacklight(true);
    EXPECT_EQ(Sent(), "FE 03");
    display_.SetBacklight(true);
    EXPECT_EQ(Sent(), "FE 03") << "sent again, not only on a change";
    display_.WriteText("X", 5, 2);
    Sent();
    display_.Clear();
    EXPECT_EQ(Sent(), "FE 01");
    EXPECT_EQ(model_.Row(2), kBlankRow);
    EXPECT_TRUE(model_.BacklightOn());

    display_.WriteText("SALE", 1, 1);
    Sent();
    display_.Close();
    EXPECT_EQ(Sent(), "FE 01 FE 02");
    EXPECT_FALSE(display_.IsOpen());
    EXPECT_FALSE(display_.BacklightOn());
    EXPECT_FALSE(model_.BacklightOn());
    EXPECT_EQ(model_.Row(1), kBlankRow);

    DisplayDriver other;
    EXPECT_FALSE(other.Open({5})) << "the port was released";
    EXPECT_EQ(Sent(), kOpen);
}
}  // namespace
}  // namespace korv::test
