// The till's own letters on the display, on both builds: a line in cp1252 read off the
// display's model as the letters it holds, and the ESC/POS code table chosen first.
#include <string>

#include "tests/support/program_test.h"

namespace korv::test {
namespace {

class CodePagesTest : public ProgramTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CodePagesTest, SmorgasAndTheEuroShowAsTheirLetters) {
    const std::string kind = GetParam();
    const bool escpos = kind == wire::kEscpos.name;
    DisplayTap& display = run_.Port(5, escpos ? DisplayKind::kEscpos : DisplayKind::kLcd);
    run_.Dir().Write("KORVPOLE.INI", "display = " + kind + "\r\ntext = cp1252\r\n");
    run_.WriteRecord(Sale(1, "Sm\xF6rg\xE5s 5 \x80", "THANK YOU", 0, 500));
    ASSERT_NO_FATAL_FAILURE(StartOnCom5());
    EXPECT_TRUE(ReadsRow(display, 1, "Smörgås 5 €         "));
    if (escpos) {
        const std::string bring_up = wire::kEscpos.bring_up + "\x1B\x74\x10";
        EXPECT_EQ(Hex(display.Received().substr(0, bring_up.size())), Hex(bring_up));
    }
    run_.Type("x");
    const ExitResult result = run_.WaitExit();
    EXPECT_TRUE(result.Succeeded()) << result.Describe();
}

INSTANTIATE_TEST_SUITE_P(Kinds, CodePagesTest, ::testing::Values("lcd", "escpos"),
                         [](const auto& kind) { return std::string(kind.param); });

}  // namespace
}  // namespace korv::test
