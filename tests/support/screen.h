#pragma once

#include <gtest/gtest.h>

#include <string>

#include "sim/display_model.h"
#include "tests/support/pty_port.h"
#include "pole/record_format.h"

// What a customer sees on a display tap, as assertions that wait for it and print the
// screen and the bytes when it does not come.
namespace korv::test {
inline const std::string kBlankRow(20, ' ');

// The rows a customer should see for given texts, 20 characters each.
std::string TextRow(const std::string& line);
std::string TaxRow(const std::string& amount_text);
std::string TotalRow(const std::string& amount_text);

// "[row 1][row 2][row 3][row 4] backlight ON", then what arrived, in hex.
std::string ScreenOf(const DisplayTap& tap);

::testing::AssertionResult ShowsRow(DisplayTap& tap, int row, const std::string& text);
// The row as a customer reads it, in UTF-8 (sim::DisplayModel::Reading).
::testing::AssertionResult ReadsRow(DisplayTap& tap, int row, const std::string& utf8);
::testing::AssertionResult ShowsRows(DisplayTap& tap, const std::string& row3, const std::string& row4);
::testing::AssertionResult BacklightBecomes(DisplayTap& tap, bool on);
// The whole record, rows 1 and 2 included, amounts in hundredths.
::testing::AssertionResult ShowsRecord(DisplayTap& tap, const PoleRecordFields& record);
// Waits until `count` more poll cycles have drawn row 3, so that everything the program
// had been given before is known to have been acted on.
::testing::AssertionResult CyclesPass(DisplayTap& tap, int count);
::testing::AssertionResult EndsWith(const DisplayTap& tap, const std::string& tail);

int Count(const DisplayTap& tap, sim::DecodedByte::Kind kind);
}  // namespace korv::test
