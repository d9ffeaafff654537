#pragma once

#include <gtest/gtest.h>

#include <string>

namespace korv::test {
// Console output as a reader sees it: carriage returns and control sequences dropped, a
// cursor step right read as that many blanks (how a console on a terminal draws blanks).
std::string PlainText(const std::string& raw);

// The text without its line ends: a Windows console breaks long lines at its width.
std::string Unwrapped(std::string text);

// How often `part` occurs in `text`, overlapping ones included.
int Occurrences(const std::string& text, const std::string& part);
// Whether `text` holds `part`; a failure shows the whole text.
::testing::AssertionResult Contains(const std::string& text, const std::string& part);
}  // namespace korv::test
