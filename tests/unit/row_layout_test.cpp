// The rows the poll cycle lays out, on the picture the record inspector prints and on
// the wire the display driver sends, decoded by the display model: the two must agree,
// in what the rows show and which rows are written at all, for every record, short
// files and overflowing amounts included, on every kind of display.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "display/display_driver.h"
#include "platform/fake/fake_platform.h"
#include "platform/record_file.h"
#include "pole/poll_cycle.h"
#include "pole/side_file.h"
#include "tools/post/row_picture.h"
#include "sim/display_model.h"
#include "tests/support/record_bytes.h"

namespace korv {
namespace {

namespace fake = platform::fake;

struct Drawn {
    std::vector<std::string> rows;  // top first
    std::vector<bool> written;      // text went into the row since the last clear
    CycleOutcome outcome;
};

SideSettings Display(DisplayKind kind = DisplayKind::kLcd, std::array<int, 2> rows = kDefaultShownRows) {
    SideSettings settings;
    settings.kind = kind;
    settings.shown_rows = rows;
    return settings;
}

Drawn OnPicture(const std::string& record, const SideSettings& side = Display()) {
    fake::Reset();
    fake::File("POLE.DAT") = record;
    platform::RecordFile file;
    file.Open("POLE.DAT", platform::RecordFile::Mode::kPoll);
    CycleState state;
    RowPicture picture(ProtocolOf(side.kind), side.shown_rows);
    const CycleOutcome outcome = DrawRecord(file, state, picture);
    Drawn drawn{{}, {}, outcome};
    for (const int row : picture.ShownRows()) {
        drawn.rows.push_back(picture.Row(row));
        drawn.written.push_back(picture.Written(row));
    }
    return drawn;
}

// The real driver on the in-memory port, its bytes decoded by the display model; a row
// is written when the cursor was set into it.
Drawn OnTheWire(const std::string& record, const SideSettings& side = Display()) {
    fake::Reset();
    fake::File("POLE.DAT") = record;
    DisplayDriver display;
    fake::ComPort(1);
    display.Open(GeometryFor(1, side));
    platform::RecordFile file;
    file.Open("POLE.DAT", platform::RecordFile::Mode::kPoll);
    CycleState state;
    const CycleOutcome outcome = RunPollCycle(file, state, display);
    const std::unique_ptr<sim::DisplayModel> model = sim::MakeDisplayModel(side.kind);
    const auto rows = static_cast<std::size_t>(model->Rows());
    Drawn drawn{{}, std::vector<bool>(rows), outcome};
    for (unsigned char byte : fake::ComPort(1).received) {
        const sim::DecodedByte decoded = model->Feed(byte);
        if (decoded.kind == sim::DecodedByte::Kind::kClear) drawn.written.assign(rows, false);
        if (decoded.kind == sim::DecodedByte::Kind::kSetAddress && decoded.row > 0)
            drawn.written[static_cast<std::size_t>(decoded.row - 1)] = true;
    }
    drawn.rows = model->Screen();
    return drawn;
}

// Where a text is cut and how 0xFE goes out are display_driver_test's, on the wire; how
// an amount fits its field poll_cycle_test's.
TEST(RowPicture, KeepsWhatATextDoesNotCoverAndForgetsItOnAClear) {
    RowPicture picture;
    picture.WriteText("ABCDEFGHIJ", 1, 2);
    picture.WriteText("xy", 3, 2);
    picture.WriteText("0123456789", 15, 4);
    EXPECT_EQ(picture.Row(2), "ABxyEFGHIJ          ");
    EXPECT_EQ(picture.Row(4), "              012345");
    EXPECT_TRUE(picture.Written(2));
    EXPECT_FALSE(picture.Written(1));
    picture.WriteText(nullptr, 1, 1);
    EXPECT_FALSE(picture.Written(1)) << "a null text writes nothing";
    picture.Clear();
    EXPECT_EQ(picture.Row(2), std::string(20, ' '));
    EXPECT_FALSE(picture.Written(2));
}

TEST(RowPicture, ShowsWhatTheDriverSendsForEveryKindOfRecordAndDisplay) {
    const std::string full = test::RecordByHand("Coffee", "1 x 3.20", 7, 1, 22, 320);
    const std::vector<std::string> records = {
        full,
        test::RecordByHand("12345678901234567890", std::string("ABC\0junk", 8), 1, 1, -500, 125),
        test::RecordByHand("Pr\xFE" "fix", "\xFE\xFE", 2, 1, 0, 0),
        test::RecordByHand("Big", "amounts", 3, 1, 99999999, 100000000),  // 999999.99 fits, 1000000.00 not
        test::RecordByHand("Neg", "amounts", 3, 1, -9999999, -10000000),  // -99999.99 fits, -100000.00 not
        test::RecordByHand("Whole", "numbers", 4, 100, 1250, 999999999),
        test::RecordByHand("Scale", "zero", 5, 0, 1250, -7),
        test::RecordByHand("Scale", "ten", 6, 10, 125, 1350),
        test::RecordByHand("Counter", "zero", 0, 1, 100, 200),
        test::RecordByHand("Wrapped", "counter", 65535, 1, 1, 2),
        test::RecordByHand("Ctrl\x1B\x0C\x7F" "bytes", "\x01\x1F\x80", 2, 1, 0, 0),
    };
    std::vector<std::string> cases = records;
    for (std::size_t size : {0u, 10u, 58u, 59u, 60u, 61u, 62u, 66u, 67u, 69u, 70u, 71u, 73u})
        cases.push_back(full.substr(0, size));
    cases.push_back(full + "bytes past the record are never read");

    for (const SideSettings& side :
         {Display(), Display(DisplayKind::kEscpos, {3, 2}), Display(DisplayKind::kCd5220)}) {
        SCOPED_TRACE(ProtocolOf(side.kind).name);
        for (const std::string& record : cases) {
            const Drawn picture = OnPicture(record, side);
            const Drawn wire = OnTheWire(record, side);
            EXPECT_EQ(picture.rows, wire.rows) << "record of " << record.size() << " bytes";
            EXPECT_EQ(picture.written, wire.written) << "record of " << record.size() << " bytes";
            EXPECT_EQ(picture.outcome, wire.outcome) << "record of " << record.size() << " bytes";
        }
    }
    EXPECT_EQ(OnTheWire(full).rows[3], "    TOTAL       3.20") << "the wire shows the record";
    EXPECT_EQ(OnPicture(records[1]).rows[0], "12345678901234567890");
    EXPECT_EQ(OnPicture(records[1]).rows[1], "ABC                 ") << "a line ends at its first zero byte";
    EXPECT_EQ(OnPicture(records[2]).rows[0], "Pr fix              ");
    EXPECT_EQ(OnPicture(records[3]).rows[2], "TOTAL TAX  999999.99");
    EXPECT_EQ(OnPicture(records[3]).rows[3], "    TOTAL **********");
    EXPECT_EQ(OnPicture(records[4]).rows[3], "    TOTAL **********");
    EXPECT_EQ(OnPicture(records[4]).rows[2], "TOTAL TAX  -99999.99");
}

TEST(RowPicture, ShortFilesDrawTheRowsTheirFieldsReach) {
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
        const Drawn drawn = OnPicture(full.substr(0, expected.size));
        EXPECT_EQ(drawn.rows, expected.rows) << expected.size << " bytes";
        EXPECT_EQ(drawn.outcome, expected.outcome) << expected.size << " bytes";
    }
}

}  // namespace
}  // namespace korv
