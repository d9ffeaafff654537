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

// Says once why the display stays dark, and once when it is back; never a line per retry.
struct DarkDisplayNote {
    DisplayDriver& display;
    bool dark = false;
    platform::PortOpenFailure said{};

    // After an open that failed with `failure`: at start or after setup (`anew`), or a
    // retry, which speaks only when the outcome differs from the last said.
    void Tell(const platform::PortOpenFailure& failure, bool anew) {
        const int port = display.WantedPort();
        if (display.IsOpen()) {
            if (dark && !display.Unreachable()) {
                TellNow(DisplayReachedLine(port));
                dark = false;
            }
            return;
        }
        if (!anew && dark && failure.cause == said.cause && failure.error == said.error) return;
        dark = true;
        said = failure;
        TellNow(DarkDisplayLine(port, failure, platform::DescribePort(port)));
    }
};

ProgramEnd EndAfterFileOpenError(const platform::RecordOpenFailure& failure, DisplayDriver& display,
                                 platform::ConsoleKeys& console) {
    PrintNow(kFileOpenError);
    TellNow(RecordFailureWords(kPoleRecordFileName, platform::RecordFile::Mode::kPoll, failure) + "\n");
    // The key is only waited for, not read: it stays in the console's input.
    while (!console.KeyWaiting(kIdlePauseMs) && !console.InputEnded() && !platform::StopRequested()) {}
    display.Close();
    console.EndKeyMode();
    return ProgramEnd::kExit;
}

ProgramEnd RunMainLoop(DisplayDriver& display, platform::ConsoleKeys& console, InForce& in_force) {
    console.BeginKeyMode();
    DarkDisplayNote note{display};
    note.Tell(in_force.dark, true);
    platform::RecordFile file;
    if (const platform::RecordOpenFailure failure = file.Open(kPoleRecordFileName, platform::RecordFile::Mode::kPoll))
        return EndAfterFileOpenError(failure, display, console);
    PrintNow(kKeyMenu);

    std::int64_t watched_ms = platform::NowMilliseconds();
    CycleState state;
    bool running = true;
    ProgramEnd end = ProgramEnd::kExit;
    // A stop ends the program as X does, at the latest after the cycle under way.
    while (!platform::StopRequested()) {
        const KeyCommand command = console.KeyWaiting(0) ? CommandOf(console.ReadKey()) : KeyCommand::kNone;
        if (command == KeyCommand::kExit) running = false;
        if (command == KeyCommand::kBacklight) display.ToggleBacklight();
        if (command == KeyCommand::kSetup) {
            console.EndKeyMode();
            const SetupOutcome outcome = RunSetup(display, in_force);
            if (outcome == SetupOutcome::kSaved) {
                // The bring-up cleared the display: it is given the whole record again.
                state.repaint_lines = state.lines_drawn;
                note.Tell(in_force.dark, true);
            } else if (outcome == SetupOutcome::kBadIni) {
                running = false;
                end = ProgramEnd::kBadIni;
            }
            console.BeginKeyMode();
        }
        // About once a second the record file follows its name, and a display that was
        // unplugged or not there is tried again; after either, rows 1 and 2 are repainted.
        if (const std::int64_t now = platform::NowMilliseconds(); now - watched_ms >= kWatchIntervalMs) {
            watched_ms = now;
            if (file.FollowName()) state.repaint_lines = true;
            if (display.Unreachable()) {
                const platform::PortOpenFailure failure = display.Reconnect();
                if (!display.Unreachable()) state.repaint_lines = state.lines_drawn;
                note.Tell(failure, false);
            }
        }

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
        case StartOutcome::kReady: return RunMainLoop(display, console, in_force);
        case StartOutcome::kBadIni: return ProgramEnd::kBadIni;
        case StartOutcome::kNoSettings: break;
    }
    if (platform::StopRequested()) return ProgramEnd::kExit;
    // No key can come where no answer came: running on, dark, would help nobody.
    TellNow(kNoSettingsNote);
    return ProgramEnd::kNoSettings;
}
}  // namespace korv
