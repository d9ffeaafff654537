// Each kind's bytes as the driver sends them, against the command references written
// out by hand; and the poll cycle on a display of two rows.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "display/display_driver.h"
#include "display/lcd_bytes.h"
#include "platform/fake/fake_platform.h"
#include "platform/record_file.h"
#include "pole/poll_cycle.h"
#include "sim/display_model.h"
#include "tests/support/console_text.h"
#include "tests/support/record_bytes.h"
#include "tests/support/screen.h"
#include "tests/support/wire_bytes.h"

namespace korv {
namespace {

namespace fake = platform::fake;
using test::Hex;

// What went to the in-memory port since the last call, in hex.
std::string Taken() {
    return Hex(std::exchange(fake::ComPort(1).received, std::string()));
}

DisplayGeometry GeometryOf(DisplayKind kind, bool lit = false, std::array<int, 2> rows = kDefaultShownRows) {
    const DisplayProtocol& protocol = ProtocolOf(kind);
    return {1, kDefaultLineSpeed, protocol.rows, protocol.columns, lit, kind, rows};
}

struct KindBytes {
    DisplayKind kind;
    std::string open, open_lit, top_left, end_of_row_2, row_3, text, light_on, light_off, close;
};

KindBytes CustomerBytes(const test::wire::CustomerWire& wire) {
    using test::wire::kClr;
    return {wire.kind, Hex(wire.bring_up + kClr), Hex(wire.bring_up + wire.brightest + kClr),
            Hex(wire.cursor_lead + "\x01\x01"), Hex(wire.cursor_lead + "\x14\x02"), "", "41 20 20 20 7E FE",
            Hex(wire.brightest), Hex(wire.dimmest), Hex(kClr + wire.dimmest)};
}

TEST(DisplayKindBytes, BringUpCursorTextAndLightAsTheCommandReferencesHaveThem) {
    const KindBytes kinds[] = {
        {DisplayKind::kLcd, Hex(test::wire::kOpen), Hex(test::wire::kOpenLit), "FE 80", "FE D3",
         "FE 94", "41 1B 7F 0C 7E 20", "FE 03", "FE 02", "FE 01 FE 02"},
        CustomerBytes(test::wire::kEscpos),
        CustomerBytes(test::wire::kCd5220),
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(ProtocolOf(k.kind).name);
        fake::Reset();
        fake::ComPort(1);
        DisplayDriver display;
        ASSERT_FALSE(display.Open(GeometryOf(k.kind)));
        EXPECT_EQ(Taken(), k.open);
        ASSERT_FALSE(display.Open(GeometryOf(k.kind, true)));
        EXPECT_EQ(Taken(), k.open_lit);

        display.WriteText("", 1, 1);
        EXPECT_EQ(Taken(), k.top_left);
        display.WriteText(nullptr, 20, 2);
        EXPECT_EQ(Taken(), k.end_of_row_2);
        display.WriteText("X", 1, 3);
        EXPECT_EQ(Taken(), k.row_3 + (k.row_3.empty() ? "" : " 58")) << "a row it has no room for";
        // Bytes the display would take as commands travel as blanks.
        display.WriteText("A\x1B\x7F\x0C~\xFE", 1, 1);
        EXPECT_EQ(Taken(), k.top_left + " " + k.text);

        display.ToggleBacklight();
        EXPECT_EQ(Taken(), k.light_off);
        display.SetBacklight(true);
        EXPECT_EQ(Taken(), k.light_on);
        display.Close();
        EXPECT_EQ(Taken(), k.close);
    }
}

// With text =, ESC t n after the bring-up and at each clear, n as the ESC/POS lists number
// the table = named; the letters go out as that table's bytes.
TEST(DisplayKindBytes, TheTableGoesToAnEscposDisplayAsItsNumber) {
    const std::pair<charset::CodePage, std::string> tables[] = {
        {charset::CodePage::kCp437, "1B 74 00"},
        {charset::CodePage::kCp850, "1B 74 02"},
        {charset::CodePage::kCp1252, "1B 74 10"},
        {charset::CodePage::kCp858, "1B 74 13"},
    };
    for (const auto& [page, select] : tables) {
        SCOPED_TRACE(charset::CodePageName(page));
        fake::Reset();
        fake::ComPort(1);
        DisplayGeometry geometry = GeometryOf(DisplayKind::kEscpos);
        geometry.text = charset::CodePage::kCp1252;
        geometry.table = page;
        DisplayDriver display;
        ASSERT_FALSE(display.Open(geometry));
        EXPECT_EQ(Taken(), Hex(test::wire::kEscpos.bring_up) + " " + select + " 0C");
        display.Clear();
        EXPECT_EQ(Taken(), select + " 0C");
        display.WriteText("\xE4\x80", 1, 1);  // ä and € in cp1252
        const std::string euro = page == charset::CodePage::kCp1252 ? "80" : page == charset::CodePage::kCp858 ? "D5" : "45";
        EXPECT_EQ(Taken(), "1F 24 01 01 " + Hex(std::string(1, static_cast<char>(*charset::ByteOf(page, 0xE4)))) + " " + euro);
    }
}

// Rows 3 and 2, the other way up: the amount row is sent in every cycle, the text row
// after a counter change only, rows 1 and 4 never; the record is read as for four rows.
TEST(TwoRowDisplay, ShowsTheChosenRowsAmountsEveryCycleTextAfterAChangeOthersNever) {
    fake::Reset();
    fake::ComPort(1);
    fake::File(kPoleRecordFileName) = test::RecordByHand("COFFEE", "1 x 3.20", 1, 1, 22, 320);
    DisplayDriver display;
    ASSERT_FALSE(display.Open(GeometryOf(DisplayKind::kEscpos, false, {3, 2})));
    platform::RecordFile file;
    ASSERT_FALSE(file.Open(kPoleRecordFileName, platform::RecordFile::Mode::kPoll));
    CycleState state;
    ASSERT_EQ(RunPollCycle(file, state, display), CycleOutcome::kCompleted);
    EXPECT_EQ(fake::Platform().seeks, 6);
    const std::unique_ptr<sim::DisplayModel> model = sim::MakeDisplayModel(DisplayKind::kEscpos);
    model->Feed(fake::ComPort(1).received);
    EXPECT_EQ(model->Screen(), (std::vector<std::string>{test::TaxRow("0.22"), test::TextRow("1 x 3.20")}));

    ASSERT_EQ(RunPollCycle(file, state, display), CycleOutcome::kCompleted);
    const std::string both = fake::ComPort(1).received;
    EXPECT_EQ(test::Occurrences(both, "TOTAL TAX"), 2) << Hex(both);
    EXPECT_EQ(test::Occurrences(both, "1 x 3.20"), 1) << Hex(both);
    for (const char* never : {"COFFEE", "    TOTAL "}) EXPECT_EQ(both.find(never), std::string::npos) << never;
}

}  // namespace
}  // namespace korv
