#include "pole/main_loop.h"

#include <cstdint>
#include <string>

#include "display/display_driver.h"
#include "platform/clock.h"
#include "platform/console_keys.h"
#include "platform/port_facts.h"
#include "platform/record_file.h"
#include "pole/console_output.h"
#include "pole/key_commands.h"
#include "pole/poll_cycle.h"
#include "pole/port_messages.h"
#include "pole/record_format.h"
#include "pole/record_messages.h"
#include "pole/startup.h"

namespace korv {

namespace {

constexpr const char* kKeyMenu =
    "Press S to run setup or \nPress B to toggle the LCD backlight or \nPress X to exit program.\n";
constexpr const char* kFileOpenError = "File open error detected: POLE.DAT\nPress any key to exit\n";

// The end of a first start whose setup got no answers, and what it says on standard error.
constexpr int kNoSettingsStatus = 1;
constexpr const char* kNoSettingsNote =
    "There is no KORVPOLE.CFG in this folder and setup got no answers, so korvpole ends: "
    "run korvpole once in this folder at a console to set it up, or copy a KORVPOLE.CFG here.\n";

// Pause where the loop would otherwise turn with nothing to wait for.
constexpr int kIdlePauseMs = 20;
// How often an unreachable display is looked for again, and the record file's name.
constexpr int kWatchIntervalMs = 1000;

// Says on the console why the display stays dark, and when it is back: once each,
// never a line per retry.
class DarkDisplayNote {
public:
    explicit DarkDisplayNote(DisplayDriver& display) : display_(display) {}

    // After an open of the configured port: at start or after setup (`anew`), or a
    // retry, which says something only when the outcome differs from the last said.
    void Tell(bool anew) {
        const int port = display_.WantedPort();
        if (display_.IsOpen()) {
            if (dark_ && !display_.Unreachable()) {
                TellNow(DisplayReachedLine(port));
                dark_ = false;
            }
            return;
        }
        const platform::PortOpenFailure failure =
            port < 1 ? platform::PortOpenFailure{platform::OpenFailure::kNoPortNumber, {}}
                     : display_.LastOpenFailure();
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
        if (display_.Reconnect()) state.repaint_lines = state.lines_drawn;
        note_.Tell(false);
    }

private:
    DisplayDriver& display_;
    platform::RecordFile& file_;
    DarkDisplayNote& note_;
    std::int64_t last_ms_;
};

int EndAfterFileOpenError(const platform::RecordOpenFailure& failure, DisplayDriver& display,
                          platform::ConsoleKeys& console) {
    PrintNow(kFileOpenError);
    TellNow(RecordFailureWords(kPoleRecordFileName, platform::RecordFile::Mode::kPoll, failure) + "\n");
    // The key is only waited for, not read: it stays in the console's input.
    while (!console.KeyWaiting(kIdlePauseMs) && !console.InputEnded() &&
           !platform::ConsoleKeys::StopRequested()) {
    }
    display.Close();
    console.EndKeyMode();
    return 0;
}

}  // namespace

int RunMainLoop(DisplayDriver& display, platform::ConsoleKeys& console) {
    console.BeginKeyMode();
    DarkDisplayNote note(display);
    note.Tell(true);
    platform::RecordFile file;
    if (const platform::RecordOpenFailure failure =
            file.Open(kPoleRecordFileName, platform::RecordFile::Mode::kPoll))
        return EndAfterFileOpenError(failure, display, console);
    PrintNow(kKeyMenu);

    SecondWatch watch(display, file, note);
    CycleState state;
    bool running = true;
    int status = 0;
    // A stop ends the program as X does, at the latest after the cycle under way.
    while (!platform::ConsoleKeys::StopRequested()) {
        switch (console.KeyWaiting(0) ? CommandOf(console.ReadKey()) : KeyCommand::kNone) {
            case KeyCommand::kExit:
                running = false;
                break;
            case KeyCommand::kSetup:
                console.EndKeyMode();
                // The bring-up cleared the display: it is given the whole record again.
                switch (RunSetupDialogue(display)) {
                    case SetupOutcome::kApplied:
                        state.repaint_lines = state.lines_drawn;
                        note.Tell(true);
                        break;
                    case SetupOutcome::kBadSideFile:
                        running = false;
                        status = kBadSideFileStatus;
                        break;
                    case SetupOutcome::kNotSaved:
                    case SetupOutcome::kNoAnswers:
                        break;
                }
                console.BeginKeyMode();
                break;
            case KeyCommand::kBacklight:
                display.ToggleBacklight();
                break;
            case KeyCommand::kNone:
                break;
        }
        watch.Check(state);

        const CycleOutcome outcome = RunPollCycle(file, state, display);
        if (outcome == CycleOutcome::kSeekFailed) {
            TellNow("_lseek failed: " + state.seek_error.message() + "\n");
            console.EndKeyMode();
            return -1;
        }
        if (outcome == CycleOutcome::kEndedEarly) platform::SleepMilliseconds(kIdlePauseMs);
        if (!running) break;
    }
    file.Close();
    display.Close();
    console.EndKeyMode();
    return status;
}

int RunPoleProgram(DisplayDriver& display, platform::ConsoleKeys& console) {
    switch (RunStartup(display)) {
        case StartOutcome::kReady:
            return RunMainLoop(display, console);
        case StartOutcome::kBadSideFile:
            return kBadSideFileStatus;
        case StartOutcome::kNoSettings:
            break;
    }
    if (platform::ConsoleKeys::StopRequested()) return 0;
    // No key can come where no answer came: running on, dark, would help nobody.
    TellNow(kNoSettingsNote);
    return kNoSettingsStatus;
}

}  // namespace korv
