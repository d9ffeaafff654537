#include "tests/support/screen.h"

#include <cstdio>

#include "tests/support/console_text.h"

namespace korv::test {
namespace {
constexpr std::size_t kRowWidth = 20;
constexpr std::chrono::milliseconds kDisplayWait{20000};

std::string RightAligned(const std::string& caption, const std::string& amount) {
    const std::size_t width = kRowWidth - caption.size();
    if (amount.size() >= width) return caption + amount.substr(amount.size() - width);
    return caption + std::string(width - amount.size(), ' ') + amount;
}

int CaptionsSent(const DisplayTap& tap) { return Occurrences(tap.Received(), "TOTAL TAX"); }

::testing::AssertionResult Waited(DisplayTap& tap, const std::function<bool(const sim::DisplayModel&)>& done,
                                  const std::string& failure) {
    if (tap.PumpUntil(done, kDisplayWait)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << failure << "; screen " << ScreenOf(tap);
}

std::string Hundredths(std::int32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value / 100.0);
    return text;
}
}  // namespace

std::string TextRow(const std::string& line) {
    std::string row = line.substr(0, kRowWidth);
    row.resize(kRowWidth, ' ');
    return row;
}

std::string TaxRow(const std::string& amount_text) { return RightAligned("TOTAL TAX", amount_text); }

std::string TotalRow(const std::string& amount_text) { return RightAligned("    TOTAL ", amount_text); }

std::string ScreenOf(const DisplayTap& tap) {
    std::string text;
    for (const std::string& row : tap.Model().Screen()) text += "[" + row + "]";
    text += " " + tap.Model().LightText();
    return text + "\nreceived: " + Hex(tap.Received());
}

::testing::AssertionResult ShowsRow(DisplayTap& tap, int row, const std::string& text) {
    return Waited(tap, [&](const sim::DisplayModel& m) { return m.Row(row) == text; },
                  "row " + std::to_string(row) + " never showed [" + text + "]");
}

::testing::AssertionResult ReadsRow(DisplayTap& tap, int row, const std::string& utf8) {
    ::testing::AssertionResult read = Waited(tap, [&](const sim::DisplayModel& m) { return m.Reading(row) == utf8; },
                                             "row " + std::to_string(row) + " never read [" + utf8 + "]");
    return read ? read : read << "\nit read [" << tap.Model().Reading(row) << "]";
}

::testing::AssertionResult ShowsRows(DisplayTap& tap, const std::string& row3, const std::string& row4) {
    if (auto shown = ShowsRow(tap, 3, row3); !shown) return shown;
    return ShowsRow(tap, 4, row4);
}

::testing::AssertionResult BacklightBecomes(DisplayTap& tap, bool on) {
    return Waited(tap, [&](const sim::DisplayModel& m) { return m.BacklightOn() == on; },
                  std::string("backlight never became ") + (on ? "on" : "off"));
}

::testing::AssertionResult ShowsRecord(DisplayTap& tap, const PoleRecordFields& record) {
    return Waited(tap, [&](const sim::DisplayModel& m) {
        return m.Row(1) == TextRow(record.line1) && m.Row(2) == TextRow(record.line2) &&
               m.Row(3) == TaxRow(Hundredths(record.tax)) && m.Row(4) == TotalRow(Hundredths(record.total));
    }, "the record is not on the display");
}

::testing::AssertionResult CyclesPass(DisplayTap& tap, int count) {
    const int target = CaptionsSent(tap) + count;
    return Waited(tap, [&](const sim::DisplayModel&) { return CaptionsSent(tap) >= target; },
                  "fewer than " + std::to_string(count) + " more cycles drawn");
}

::testing::AssertionResult EndsWith(const DisplayTap& tap, const std::string& tail) {
    const std::string& bytes = tap.Received();
    if (bytes.size() >= tail.size() && bytes.compare(bytes.size() - tail.size(), tail.size(), tail) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the bytes do not end in " << Hex(tail) << "; screen " << ScreenOf(tap);
}

int Count(const DisplayTap& tap, sim::DecodedByte::Kind kind) {
    const std::unique_ptr<sim::DisplayModel> replay = sim::MakeDisplayModel(tap.Kind());
    int count = 0;
    for (unsigned char byte : tap.Received())
        if (replay->Feed(byte).kind == kind) ++count;
    return count;
}
}  // namespace korv::test
