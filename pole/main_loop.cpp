#include "pole/main_loop.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "display/display_driver.h"
#include "platform/clock.h"
#include "platform/console_keys.h"
#include "platform/port_facts.h"
#include "platform/record_file.h"
#include "platform/system_error.h"
#include "pole/console_output.h"
#include "pole/key_commands.h"
#include "pole/poll_cycle.h"
#include "pole/port_messages.h"
#include "pole/startup.h"

namespace korv {

namespace {

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
        const platform::OpenFailure failure =
            port < 1 ? platform::OpenFailure::kNoPortNumber : display_.LastOpenFailure();
        const int code = display_.LastOpenError();
        if (!anew && dark_ && failure == failure_ && code == code_) return;
        dark_ = true;
        failure_ = failure;
        code_ = code;
        TellNow(DarkDisplayLine(port, failure, code, platform::SystemErrorText(code),
                            platform::DescribePort(port)));
    }

private:
    DisplayDriver& display_;
    bool dark_ = false;
    platform::OpenFailure failure_ = platform::OpenFailure::kNone;
    int code_ = 0;
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

int EndAfterFileOpenError(DisplayDriver& display, platform::ConsoleKeys& console) {
    PrintNow(kFileOpenError);
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
    if (!file.Open(kPoleRecordFileName, platform::RecordFile::Mode::kPoll))
        return EndAfterFileOpenError(display, console);
    PrintNow(kKeyMenu);

    SecondWatch watch(display, file, note);
    CycleState state;
    bool running = true;
    // A stop ends the program as X does, at the latest after the cycle under way.
    while (!platform::ConsoleKeys::StopRequested()) {
        switch (console.KeyWaiting(0) ? CommandOf(console.ReadKey()) : KeyCommand::kNone) {
            case KeyCommand::kExit:
                running = false;
                break;
            case KeyCommand::kSetup:
                console.EndKeyMode();
                // The bring-up cleared the display: it is given the whole record again.
                if (RunSetupDialogue(display) == SetupOutcome::kApplied) {
                    state.repaint_lines = state.lines_drawn;
                    note.Tell(true);
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
            std::perror("_lseek failed");
            console.EndKeyMode();
            return -1;
        }
        if (outcome == CycleOutcome::kEndedEarly) platform::SleepMilliseconds(kIdlePauseMs);
        if (!running) break;
    }
    file.Close();
    display.Close();
    console.EndKeyMode();
    return 0;
}

int RunPoleProgram(DisplayDriver& display, platform::ConsoleKeys& console) {
    if (!RunStartup(display)) {
        if (platform::ConsoleKeys::StopRequested()) return 0;
        // No key can come where no answer came: running on, dark, would help nobody.
        TellNow(kNoSettingsNote);
        return kNoSettingsStatus;
    }
    return RunMainLoop(display, console);
}

}  // namespace korv
