#include "tests/support/console_text.h"

#include <gtest/gtest.h>

namespace korv::test {
namespace {

TEST(PlainText, DropsControlSequencesAndReadsCursorStepsAsBlanks) {
    EXPECT_EQ(PlainText("\x1b]0;C:\\cmd.exe\x07\x1b[?25lPress\x1b[K\x1b[1CS\x1b[?25h\r\n"),
              "Press S\n");
    EXPECT_EQ(PlainText("a\x1b[3Cb"), "a   b");
    EXPECT_EQ(PlainText("end\x1b["), "end");  // cut short
}

}  // namespace
}  // namespace korv::test
