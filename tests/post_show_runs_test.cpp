// korvpole-post --show against korvpole itself: for each record, the four rows the
// inspector prints are the rows a fresh korvpole puts on the display model, and the
// rows it marks as not drawn are never addressed.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "sim/hd44780_model.h"
#include "tests/support/program_test.h"
#include "tests/support/runner.h"
#include "tests/support/record_bytes.h"
#include "tests/support/screen.h"

namespace korv::test {
namespace {

struct Record {
    const char* name;
    std::vector<std::string> post_args;  // made by korvpole-post when given
    std::string bytes;                   // otherwise these, written as they are
};

const Record kRecords[] = {
    {"a sale", {"--line1", "Coffee", "--line2", "1 x 3.20", "--tax", "0.22", "--total", "3.20"}, ""},
    {"scale 100", {"--line1", "WHOLE", "--scale", "100", "--tax", "1250", "--total", "999"}, ""},
    {"scale 0", {}, RecordByHand("ZERO", "", 2, 0, 125, 300)},
    {"one amount too long, one just short enough",
     {"--line1", "BIG", "--tax", "1000000.00", "--total", "999999.99"}, ""},
    {"a negative amount too long", {"--line1", "REFUND", "--total", "-100000.00"}, ""},
    {"counter 0", {}, RecordByHand("NEVER SHOWN", "NOR THIS", 0, 1, 125, 250)},
    {"66 bytes", {}, RecordByHand("SHORT", "FILE", 9, 1, 125, 250).substr(0, 66)},
    {"72 bytes", {}, RecordByHand("ALMOST", "WHOLE", 9, 1, 125, 0x01020304).substr(0, 72)},
    {"0xFE in both lines", {}, RecordByHand("AB\xFE" "CD", "\xFE" "EF", 3, 1, 0, 100)},
};

struct ShownRow {
    std::string text;
    bool drawn;
};

// The framed rows of --show: "1 |<20 characters>|", then "  (not drawn)" or nothing.
std::vector<ShownRow> RowsPrinted(const std::string& output) {
    std::vector<ShownRow> rows;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() < 24 || line[1] != ' ' || line[2] != '|' || line[23] != '|') continue;
        if (line[0] != static_cast<char>('1' + rows.size())) continue;
        rows.push_back({line.substr(3, 20), line.find("(not drawn)", 24) == std::string::npos});
    }
    return rows;
}

// The rows whose cursor was set since the display was last cleared: those korvpole drew.
std::set<int> RowsAddressed(const DisplayTap& tap) {
    const int row_base[4] = {0x00, 0x40, 0x14, 0x54};
    sim::Hd44780Model replay;
    std::set<int> rows;
    for (unsigned char byte : tap.Received()) {
        const sim::DecodedByte decoded = replay.Feed(byte);
        if (decoded.kind == sim::DecodedByte::Kind::kClear) rows.clear();
        if (decoded.kind != sim::DecodedByte::Kind::kSetAddress) continue;
        for (int row = 1; row <= 4; ++row)
            if (decoded.address >= row_base[row - 1] && decoded.address < row_base[row - 1] + 20)
                rows.insert(row);
    }
    return rows;
}

void MakeRecord(Runner& run, const Record& record) {
    if (record.post_args.empty()) {
        run.Dir().Write("POLE.DAT", record.bytes);
        return;
    }
    run.Start(Program::Tool("korvpole-post", record.post_args), kScripted);
    const ExitResult made = run.WaitExit();
    ASSERT_TRUE(made.Succeeded()) << made.Describe() << run.Errors();
}

std::vector<ShownRow> Show(Runner& run) {
    run.Start(Program::Tool("korvpole-post", {"--show", "--file", "POLE.DAT"}), kScripted);
    const ExitResult shown = run.WaitExit();
    EXPECT_TRUE(shown.Succeeded()) << shown.Describe() << run.Errors();
    return RowsPrinted(run.Output());
}

TEST(PostShow, PrintsTheRowsAFreshKorvpoleDraws) {
    for (const Record& record : kRecords) {
        SCOPED_TRACE(record.name);
        Runner run;
        run.WriteConfig(5, true);
        DisplayTap& com5 = run.Port(5);
        ASSERT_NO_FATAL_FAILURE(MakeRecord(run, record));
        const std::vector<ShownRow> printed = Show(run);
        ASSERT_EQ(printed.size(), 4u) << run.Output();
        const std::string show_output = run.Output();

        run.Start(Program::Korvpole(), {Input::kPipe, false});
        ASSERT_TRUE(run.WaitForOutput(kMenu)) << run.Output();
        ASSERT_TRUE(CyclesPass(com5, 2));
        const std::set<int> drawn = RowsAddressed(com5);
        for (int row = 1; row <= 4; ++row) {
            const ShownRow& shown = printed[static_cast<std::size_t>(row - 1)];
            EXPECT_EQ(shown.text, com5.Model().Row(row))
                << "row " << row << "; --show:\n" << show_output << "screen " << ScreenOf(com5);
            EXPECT_EQ(shown.drawn, drawn.count(row) == 1)
                << "row " << row << "; --show:\n" << show_output << "screen " << ScreenOf(com5);
        }
        run.Type("x");
        EXPECT_TRUE(run.WaitExit().Succeeded());
    }
}

}  // namespace
}  // namespace korv::test
