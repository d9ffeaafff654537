// The rows the poll cycle lays out, as the display model reads what the driver sends.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "display/display_driver.h"
#include "platform/fake/fake_platform.h"
#include "platform/record_file.h"
#include "pole/poll_cycle.h"
#include "sim/display_model.h"
#include "tests/support/console_text.h"
#include "tests/support/record_bytes.h"
#include "tests/support/wire_bytes.h"

namespace korv {
namespace {
namespace fake = platform::fake;

struct Drawn {
    std::vector<std::string> rows;  // top first
    CycleOutcome outcome;
    std::string bytes;
    std::vector<int> seeks;  // in all, after each cycle
};

DisplayGeometry Display(DisplayKind kind = DisplayKind::kLcd, std::array<int, 2> rows = kDefaultShownRows) {
    const DisplayProtocol& protocol = ProtocolOf(kind);
    return {1, kDefaultLineSpeed, protocol.rows, protocol.columns, false, kind, rows};
}

// The real driver on the in-memory port, its bytes decoded by the display model.
Drawn OnTheWire(const std::string& record, const DisplayGeometry& side = Display(), int cycles = 1) {
    fake::Reset();
    fake::File("POLE.DAT") = record;
    DisplayDriver display;
    fake::ComPort(1);
    display.Open(side);
    platform::RecordFile file;
    file.Open("POLE.DAT", platform::RecordFile::Mode::kPoll);
    CycleState state;
    Drawn drawn{};
    for (int cycle = 0; cycle < cycles; ++cycle) {
        drawn.outcome = RunPollCycle(file, state, display);
        drawn.seeks.push_back(fake::Platform().seeks);
    }
    drawn.bytes = fake::ComPort(1).received;
    const std::unique_ptr<sim::DisplayModel> model = sim::MakeDisplayModel(side.kind);
    model->Feed(drawn.bytes);
    drawn.rows = model->Screen();
    return drawn;
}

TEST(RowLayout, TheWireShowsEveryKindOfRecord) {
    const std::string full = test::RecordByHand("Coffee", "1 x 3.20", 7, 1, 22, 320);
    EXPECT_EQ(OnTheWire(full).rows[3], "    TOTAL       3.20");
    const Drawn cut = OnTheWire(test::RecordByHand("12345678901234567890", std::string("ABC\0junk", 8), 1, 1, -500, 125));
    EXPECT_EQ(cut.rows[0], "12345678901234567890");
    EXPECT_EQ(cut.rows[1], "ABC                 ") << "a line ends at its first zero byte";
    EXPECT_EQ(OnTheWire(test::RecordByHand("Pr\xFE" "fix", "\xFE\xFE", 2, 1, 0, 0)).rows[0], "Pr fix              ");
    // 999999.99 fits, 1000000.00 does not; nor does -100000.00.
    const Drawn big = OnTheWire(test::RecordByHand("Big", "amounts", 3, 1, 99999999, 100000000));
    EXPECT_EQ(big.rows[2], "TOTAL TAX  999999.99");
    EXPECT_EQ(big.rows[3], "    TOTAL **********");
    const Drawn negative = OnTheWire(test::RecordByHand("Neg", "amounts", 3, 1, -9999999, -10000000));
    EXPECT_EQ(negative.rows[2], "TOTAL TAX  -99999.99");
    EXPECT_EQ(negative.rows[3], "    TOTAL **********");
}

// Rows 3 and 2, the other way up: the amount row is sent in every cycle, the text row
// after a counter change only, rows 1 and 4 never; the record is read as for four rows.
TEST(TwoRowDisplay, ShowsTheChosenRowsAmountsEveryCycleTextAfterAChangeOthersNever) {
    const Drawn two = OnTheWire(test::RecordByHand("COFFEE", "1 x 3.20", 1, 1, 22, 320),
                                Display(DisplayKind::kEscpos, {3, 2}), 2);
    EXPECT_EQ(two.rows, (std::vector<std::string>{"TOTAL TAX       0.22", "1 x 3.20            "}));
    EXPECT_EQ(two.seeks, (std::vector<int>{6, 10}));
    EXPECT_EQ(test::Occurrences(two.bytes, "TOTAL TAX"), 2) << test::Hex(two.bytes);
    EXPECT_EQ(test::Occurrences(two.bytes, "1 x 3.20"), 1) << test::Hex(two.bytes);
    for (const char* never : {"COFFEE", "    TOTAL "}) EXPECT_EQ(two.bytes.find(never), std::string::npos) << never;
}

TEST(RowLayout, ShortFilesDrawTheRowsTheirFieldsReach) {
    const std::string full = test::RecordByHand("Line one", "Line two", 9, 1, 125, 1350);
    const std::string blank(20, ' ');
    const std::string one = "Line one" + std::string(12, ' ');
    const std::string two = "Line two" + std::string(12, ' ');
    struct Expected {
        std::size_t size;
        std::vector<std::string> rows;
        CycleOutcome outcome;
    };
    const Expected cases[] = {
        {0, {blank, blank, blank, blank}, CycleOutcome::kEndedEarly},
        {58, {blank, blank, blank, blank}, CycleOutcome::kEndedEarly},
        // Counter 9 read from its first byte alone; no scale yet.
        {59, {one, two, blank, blank}, CycleOutcome::kEndedEarly},
        {66, {one, two, "TOTAL TAX" + std::string(11, ' '), blank}, CycleOutcome::kEndedEarly},
        {70, {one, two, "TOTAL TAX       1.25", blank}, CycleOutcome::kEndedEarly},
        // The total's last three bytes are missing: 1350 is 0x546, so 0x46 = 70 is left.
        {71, {one, two, "TOTAL TAX       1.25", "    TOTAL       0.70"}, CycleOutcome::kCompleted},
    };
    for (const Expected& expected : cases) {
        const Drawn drawn = OnTheWire(full.substr(0, expected.size));
        EXPECT_EQ(drawn.rows, expected.rows) << expected.size << " bytes";
        EXPECT_EQ(drawn.outcome, expected.outcome) << expected.size << " bytes";
    }
}
}  // namespace
}  // namespace korv
