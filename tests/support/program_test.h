#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/support/runner.h"
#include "tests/support/screen.h"
#include "tools/record_writer.h"

namespace korv::test {

inline constexpr const char* kMenu =
    "Press S to run setup or \nPress B to toggle the LCD backlight or \nPress X to exit program.\n";
inline constexpr const char* kFileOpenError =
    "File open error detected: POLE.DAT\nPress any key to exit\n";

// A sale as the till writes it: scale 1, amounts in hundredths.
inline PoleRecordFields Sale(std::uint16_t counter, std::string line1,
                                    std::string line2 = "THANK YOU", std::int32_t tax = 125,
                                    std::int32_t total = 250) {
    return {std::move(line1), std::move(line2), counter, 1, tax, total};
}

// Waits until the program has printed `text`, after what the last wait found.
inline ::testing::AssertionResult Prints(Runner& run, const std::string& text,
                                         std::chrono::milliseconds limit = Runner::kWait) {
    if (run.WaitForOutput(text, limit)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "never printed [" << text << "]; console:\n"
                                         << run.Output();
}

// The built korvpole with its display on COM5 of the run's folder.
class ProgramTest : public ::testing::Test {
protected:
    // KORVPOLE.CFG for COM5, the display attached, then the program started; waits for
    // the key menu.
    void StartOnCom5(bool backlight_on = true, Input input = Input::kTerminal, mode_t umask = 022) {
        run_.WriteConfig(5, backlight_on);
        Com5();
        run_.Start(Program::Korvpole(), {input, true, umask});
        ASSERT_TRUE(run_.WaitForOutput(kMenu)) << run_.Output();
    }

    void StartShowing(const PoleRecordFields& record, bool backlight_on = true) {
        run_.WriteRecord(record);
        StartOnCom5(backlight_on);
    }

    DisplayTap& Com5() { return run_.Port(5); }
    const sim::Hd44780Model& Model() { return Com5().Model(); }

    // X typed: status 0, and the display cleared and darkened last.
    void ExitWithX(const std::string& key = "x") {
        run_.Type(key);
        const ExitResult result = run_.WaitExit();
        EXPECT_TRUE(result.Succeeded()) << result.Describe();
        Com5().Pump(std::chrono::milliseconds(200));
        EXPECT_TRUE(EndsWith(Com5(), wire::kClose));
    }

    static bool InKeyMode(const termios& settings) {
        return (settings.c_lflag & (ICANON | ECHO)) == 0;
    }
    static bool InLineMode(const termios& settings) {
        return (settings.c_lflag & (ICANON | ECHO)) == (ICANON | ECHO);
    }

    Runner run_;
};

}  // namespace korv::test
