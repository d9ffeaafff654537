#include "pole/main_loop.h"

#include <cstdint>
#include <string>

#include "display/display_driver.h"
#include "platform/clock.h"
#include "platform/console_keys.h"
#include "platform/port_facts.h"
#include "platform/record_file.h"
#include "platform/stop_request.h"
#include "pole/console_output.h"
#include "pole/failure_words.h"
#include "pole/key_commands.h"
#include "pole/poll_cycle.h"
#include "pole/record_format.h"
#include "pole/startup.h"

namespace korv {

namespace {

constexpr const char* kKeyMenu =
    "Press S to run setup or \nPress B to toggle the LCD backlight or \nPress X to exit program.\n";

// Pause where the loop would otherwise turn with nothing to wait for.
constexpr int kIdlePauseMs = 20;
// How often an unreachable display is looked for again, and the record file's name.
constexpr int kWatchIntervalMs = 1000;

// Says on the console why the display stays dark, and when it is back: once each,
// never a line per retry.
class DarkDisplayNote {
public:
    explicit DarkDisplayNote(DisplayDriver& display) : display_(display) {}

    // After an open of the configured port that failed with `failure`: at start or after
    // setup (`anew`), or a retry, which says something only when the outcome differs
    // from the last said.
    void Tell(const platform::PortOpenFailure& failure, bool anew) {
        const int port = display_.WantedPort();
        if (display_.IsOpen()) {
            if (dark_ && !display_.Unreachable()) {
                TellNow(DisplayReachedLine(port));
                dark_ = false;
            }
            return;
        }
        if (!anew && dark_ && failure.cause == said_.cause && failure.error == said_.error) return;
        dark_ = true;
        said_ = failure;
        TellNow(DarkDisplayLine(port, failure, platform::DescribePort(port)));
    }

private:
    DisplayDriver& display_;
    bool dark_ = false;
    platform::PortOpenFailure said_;
};

// About once a second, within the loop's own turns: the record file follows its name,
// and a display that was unplugged or not there is tried again; after either, the
// next cycle repaints rows 1 and 2.
class SecondWatch {
public:
    SecondWatch(DisplayDriver& display, platform::RecordFile& file, DarkDisplayNote& note)
        : display_(display), file_(file), note_(note), last_ms_(platform::NowMilliseconds()) {}

    void Check(CycleState& state) {
        const std::int64_t now = platform::NowMilliseconds();
        if (now - last_ms_ < kWatchIntervalMs) return;
        last_ms_ = now;
        if (file_.FollowName()) state.repaint_lines = true;
        if (!display_.Unreachable()) return;
        const platform::PortOpenFailure failure = display_.Reconnect();
        if (!display_.Unreachable()) state.repaint_lines = state.lines_drawn;
        note_.Tell(failure, false);
    }

private:
    DisplayDriver& display_;
    platform::RecordFile& file_;
    DarkDisplayNote& note_;
    std::int64_t last_ms_;
};

ProgramEnd EndAfterFileOpenError(const platform::RecordOpenFailure& failure, DisplayDriver& display,
                          platform::ConsoleKeys& console) {
    PrintNow(kFileOpenError);
    TellNow(RecordFailureWords(kPoleRecordFileName, platform::RecordFile::Mode::kPoll, failure) + "\n");
    // The key is only waited for, not read: it stays in the console's input.
    while (!console.KeyWaiting(kIdlePauseMs) && !console.InputEnded() && !platform::StopRequested()) {
    }
    display.Close();
    console.EndKeyMode();
    return ProgramEnd::kExit;
}

ProgramEnd RunMainLoop(DisplayDriver& display, platform::ConsoleKeys& console, InForce& in_force) {
    console.BeginKeyMode();
    DarkDisplayNote note(display);
    note.Tell(in_force.dark, true);
    platform::RecordFile file;
    if (const platform::RecordOpenFailure failure =
            file.Open(kPoleRecordFileName, platform::RecordFile::Mode::kPoll))
        return EndAfterFileOpenError(failure, display, console);
    PrintNow(kKeyMenu);

    SecondWatch watch(display, file, note);
    CycleState state;
    bool running = true;
    ProgramEnd end = ProgramEnd::kExit;
    // A stop ends the program as X does, at the latest after the cycle under way.
    while (!platform::StopRequested()) {
        switch (console.KeyWaiting(0) ? CommandOf(console.ReadKey()) : KeyCommand::kNone) {
            case KeyCommand::kExit:
                running = false;
                break;
            case KeyCommand::kSetup: {
                console.EndKeyMode();
                switch (RunSetup(display, in_force)) {
                    case SetupOutcome::kSaved:
                        // The bring-up cleared the display: it is given the whole record again.
                        state.repaint_lines = state.lines_drawn;
                        note.Tell(in_force.dark, true);
                        break;
                    case SetupOutcome::kBadIni:
                        running = false;
                        end = ProgramEnd::kBadIni;
                        break;
                    case SetupOutcome::kNotSaved:
                    case SetupOutcome::kNoAnswers:
                        break;
                }
                console.BeginKeyMode();
                break;
            }
            case KeyCommand::kBacklight:
                display.ToggleBacklight();
                break;
            case KeyCommand::kNone:
                break;
        }
        watch.Check(state);

        const CycleOutcome outcome = RunPollCycle(file, state, display, in_force.ini.words);
        if (outcome == CycleOutcome::kSeekFailed) {
            TellNow("_lseek failed: " + state.seek_error.message() + "\n");
            console.EndKeyMode();
            return ProgramEnd::kRecordBroken;
        }
        if (outcome == CycleOutcome::kEndedEarly) platform::SleepMilliseconds(kIdlePauseMs);
        if (!running) break;
    }
    file.Close();
    display.Close();
    console.EndKeyMode();
    return end;
}

}  // namespace

ProgramEnd RunPoleProgram(DisplayDriver& display, platform::ConsoleKeys& console) {
    InForce in_force;
    switch (RunStartup(display, in_force)) {
        case StartOutcome::kReady:
            return RunMainLoop(display, console, in_force);
        case StartOutcome::kBadIni:
            return ProgramEnd::kBadIni;
        case StartOutcome::kNoSettings:
            break;
    }
    if (platform::StopRequested()) return ProgramEnd::kExit;
    // No key can come where no answer came: running on, dark, would help nobody.
    TellNow(kNoSettingsNote);
    return ProgramEnd::kNoSettings;
}

}  // namespace korv
