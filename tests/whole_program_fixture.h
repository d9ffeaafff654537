#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "sim/hd44780_model.h"
#include "tests/support/pole_record_writer.h"
#include "tests/support/program_runner.h"
#include "tests/support/pty_port.h"

namespace korv::test {

inline constexpr const char* kMenu =
    "Press S to run setup or \nPress B to toggle the LCD backlight or \nPress X to exit program.\n";
inline constexpr std::chrono::milliseconds kDisplayWait{8000};

// The built program with its display on COM5 in the run's working directory and a
// writer for its POLE.DAT.
class WholeProgram : public ::testing::Test {
protected:
    WholeProgram() : writer_(runner_.PathOf("POLE.DAT")) {}

    // KORVPOLE.CFG for COM5, the display attached, then the program started; waits for
    // the key menu.
    void StartOnCom5(bool backlight_on = true, Input input = Input::kTerminal,
                     mode_t umask = 022) {
        AttachCom5(backlight_on);
        runner_.Start(input, umask);
        ASSERT_TRUE(runner_.WaitForOutput(kMenu)) << runner_.Output();
    }

    void AttachCom5(bool backlight_on = true) {
        runner_.WriteFile("KORVPOLE.CFG", ConfigBytes(5, backlight_on));
        display_ = std::make_unique<DisplayTap>(runner_.PathOf("COM5"));
    }

    void StartShowing(const PoleRecord& record, bool backlight_on = true) {
        writer_.Write(record);
        StartOnCom5(backlight_on);
    }

    sim::Hd44780Model& Model() { return display_->Model(); }

    // Waits until the display shows `text` on `row`.
    ::testing::AssertionResult ShowsRow(int row, const std::string& text) {
        return ShowsRowOn(*display_, row, text);
    }
    static ::testing::AssertionResult ShowsRowOn(DisplayTap& tap, int row, const std::string& text) {
        if (tap.PumpUntil([&](const sim::Hd44780Model& m) { return m.Row(row) == text; },
                          kDisplayWait))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "row " << row << " never showed [" << text << "]; screen " << ScreenOf(tap);
    }

    ::testing::AssertionResult ShowsRows(const std::string& row3, const std::string& row4) {
        if (auto shown = ShowsRow(3, row3); !shown) return shown;
        return ShowsRow(4, row4);
    }

    ::testing::AssertionResult BacklightBecomes(bool on) {
        if (display_->PumpUntil([&](const sim::Hd44780Model& m) { return m.BacklightOn() == on; },
                                kDisplayWait))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "backlight never became " << (on ? "on" : "off");
    }

    // Waits until `count` more poll cycles have drawn row 3, so that everything the
    // program had been given before is known to have been acted on.
    ::testing::AssertionResult CyclesPass(int count) { return CyclesPassOn(*display_, count); }
    static ::testing::AssertionResult CyclesPassOn(DisplayTap& tap, int count) {
        const int target = CaptionsSent(tap) + count;
        if (tap.PumpUntil([&](const sim::Hd44780Model&) { return CaptionsSent(tap) >= target; },
                          kDisplayWait))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "fewer than " << count << " more cycles drawn";
    }

    static int CaptionsSent(const DisplayTap& tap) {
        int count = 0;
        for (std::size_t at = tap.Received().find("TOTAL TAX"); at != std::string::npos;
             at = tap.Received().find("TOTAL TAX", at + 1))
            ++count;
        return count;
    }

    static std::string ScreenOf(DisplayTap& tap) {
        std::string text;
        for (const std::string& row : tap.Model().Screen()) text += "[" + row + "]";
        return text + (tap.Model().BacklightOn() ? " backlight on" : " backlight off");
    }

    // How often `kind` occurs in everything the display received.
    static int Count(const DisplayTap& tap, sim::DecodedByte::Kind kind) {
        sim::Hd44780Model replay;
        int count = 0;
        for (unsigned char byte : tap.Received())
            if (replay.Feed(byte).kind == kind) ++count;
        return count;
    }

    static bool InKeyMode(const termios& settings) {
        return (settings.c_lflag & (ICANON | ECHO)) == 0;
    }
    static bool InLineMode(const termios& settings) {
        return (settings.c_lflag & (ICANON | ECHO)) == (ICANON | ECHO);
    }

    ProgramRunner runner_;
    PoleRecordWriter writer_;
    std::unique_ptr<DisplayTap> display_;
};

}  // namespace korv::test
