#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/console_text.h"
#include "tests/support/runner.h"
#include "tests/support/screen.h"

namespace korv::test {
inline const std::string kBannerFirstLine = std::string("Korvane pole app release v ") + KORV_EXPECTED_VERSION + "\n";
inline constexpr const char* kMenu =
    "Press S to run setup or \nPress B to toggle the LCD backlight or \nPress X to exit program.\n";
inline constexpr const char* kFileOpenError = "File open error detected: POLE.DAT\nPress any key to exit\n";
inline constexpr const char* kPortQuestion = "(i.e. for COM5 enter 5): ";
inline constexpr const char* kBacklightQuestion =
    "Enter backlight default on startup (i.e. Press 1 for ON, Press 2 for OFF): ";
inline constexpr const char* kExiting = "Exiting config mode\n\n";
// korvpole's lines on standard error for a display it cannot reach, and reaches again.
inline constexpr const char* kStaysDark = ". The display stays dark; korvpole tries again every second.\n";
inline constexpr const char* kCom5Open = "COM5 is open: the display shows POLE.DAT again.\n";

// Someone else's file, which a link in the folder may lead to.
inline const std::string kForeign = "SOMEONE ELSE'S DATA";

// Code tested in process, working in a fresh folder (as korvpole's own, for its relative
// names), with another folder for links to lead out to.
class FolderTest : public ::testing::Test {
protected:
    FolderTest() { std::filesystem::current_path(dir_.Path()); }
    ~FolderTest() override {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }

    Runner run_;
    const TempDir& dir_ = run_.Dir();
    TempDir elsewhere_;
    const std::filesystem::path previous_ = std::filesystem::current_path();
};

// A sale as the till writes it: scale 1, amounts in hundredths.
inline PoleRecordFields Sale(std::uint16_t counter, std::string line1,
                             std::string line2 = "THANK YOU", std::int32_t tax = 125,
                             std::int32_t total = 250) {
    return {std::move(line1), std::move(line2), counter, 1, tax, total};
}

// Waits until the program has printed `text`, after what the last wait found.
inline ::testing::AssertionResult Prints(Runner& run, const std::string& text) {
    if (run.WaitForOutput(text)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "never printed [" << text << "]; console:\n" << run.Output();
}

// Whether `done` came to hold within `limit`, asked every 20 ms.
inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = Runner::kWait) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Waits until the program has said `text` on standard error (under Wine on its console,
// which breaks long lines at its width) `times` times in all; fails when said more often.
inline ::testing::AssertionResult Said(Runner& run, const std::string& text, int times) {
    const std::string wanted = Unwrapped(text);
    int said = 0;
    WaitFor([&] { return (said = Occurrences(Unwrapped(run.Errors()), wanted)) >= times; });
    if (said == times) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "[" << text << "] said " << said << " times, not " << times
                                         << "; standard error:\n" << run.Errors();
}

// korvpole as under test (this build's, or korvpole.exe under Wine) in a fresh folder,
// its display on COM5. Suites derived as LinuxProgramTest run on this build only.
class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() { run_.UseWine(Program::Korvpole().wine); }

    // KORVPOLE.CFG for COM5, the display attached, then the program started; waits for
    // the key menu.
    void StartOnCom5(bool backlight_on = true, const Console& console = {}) {
        run_.WriteConfig(5, backlight_on);
        Com5();
        run_.Start(Program::Korvpole(), console);
        ASSERT_TRUE(Prints(run_, kMenu));
    }

    // A sale (counter not 0) is waited for on the display.
    void StartShowing(const PoleRecordFields& record, bool backlight_on = true) {
        run_.WriteRecord(record);
        ASSERT_NO_FATAL_FAILURE(StartOnCom5(backlight_on));
        if (record.counter != 0) {
            ASSERT_TRUE(ShowsRecord(Com5(), record));
        }
    }

    DisplayTap& Com5() { return run_.Port(5); }
    const sim::DisplayModel& Model() { return Com5().Model(); }

    // `key` typed: status 0, and the display on `tap` blank and dark, cleared last.
    void ExitWithX(const std::string& key = "x", DisplayTap* tap = nullptr) {
        DisplayTap& display = tap != nullptr ? *tap : Com5();
        run_.Type(key);
        const ExitResult result = run_.WaitExit();
        ASSERT_TRUE(result.Succeeded()) << result.Describe() << "; console:\n" << run_.Output();
        ExpectClosedAsByX(display);
    }

    // Once the program has ended: the display blank and dark, cleared last.
    static void ExpectClosedAsByX(DisplayTap& display) {
        display.CatchUp();
        EXPECT_TRUE(EndsWith(display, wire::kClose)) << ScreenOf(display);
        for (int row = 1; row <= 4; ++row) EXPECT_EQ(display.Model().Row(row), kBlankRow) << row;
        EXPECT_FALSE(display.Model().BacklightOn());
    }

    void RunSetup(const std::string& port, const std::string& backlight) {
        run_.Type("s");
        ASSERT_TRUE(Prints(run_, kPortQuestion));
        run_.Type(port + "\r");
        ASSERT_TRUE(Prints(run_, kBacklightQuestion));
        run_.Type(backlight + "\r");
        ASSERT_TRUE(Prints(run_, kExiting));
    }

    Runner run_;
};

class LinuxProgramTest : public ProgramTest {};

inline bool InKeyMode(const termios& settings) { return (settings.c_lflag & (ICANON | ECHO)) == 0; }
inline bool InLineMode(const termios& settings) { return (settings.c_lflag & (ICANON | ECHO)) == (ICANON | ECHO); }
}  // namespace korv::test
