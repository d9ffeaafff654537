#include "pole/main_loop.h"

#include <cstdint>
#include <cstdio>

#include "display/display_driver.h"
#include "platform/clock.h"
#include "platform/console_keys.h"
#include "platform/record_file.h"
#include "pole/key_reader.h"
#include "pole/pole_record.h"
#include "pole/startup.h"

namespace korv {

namespace {

// Brings a display back that was unplugged or not there at start, at most once a
// second, and has the next cycle repaint it whole.
class ReconnectWatch {
public:
    explicit ReconnectWatch(DisplayDriver& display)
        : display_(display), last_try_ms_(platform::NowMilliseconds()) {}

    void Check(CycleState& state) {
        if (!display_.Unreachable()) return;
        const std::int64_t now = platform::NowMilliseconds();
        if (now - last_try_ms_ < kReconnectIntervalMs) return;
        last_try_ms_ = now;
        if (display_.Reconnect()) state.repaint_lines = state.lines_drawn;
    }

private:
    DisplayDriver& display_;
    std::int64_t last_try_ms_;
};

void Print(const char* text) {
    std::printf("%s", text);
    std::fflush(stdout);
}

int EndAfterFileOpenError(DisplayDriver& display, platform::ConsoleKeys& console) {
    Print(kFileOpenError);
    // The key is only waited for, not read: it stays in the console's input.
    while (!console.KeyWaiting(kIdlePauseMs) && !console.InputEnded()) {
    }
    display.Close();
    console.EndKeyMode();
    return 0;
}

}  // namespace

int RunMainLoop(DisplayDriver& display, platform::ConsoleKeys& console) {
    console.BeginKeyMode();
    platform::RecordFile file;
    if (!file.Open(kPoleRecordFileName)) return EndAfterFileOpenError(display, console);
    Print(kKeyMenu);

    ReconnectWatch watch(display);
    CycleState state;
    bool running = true;
    while (true) {
        switch (console.KeyWaiting(0) ? CommandOf(console.ReadKey()) : KeyCommand::kNone) {
            case KeyCommand::kExit:
                running = false;
                break;
            case KeyCommand::kSetup:
                console.EndKeyMode();
                RunSetupDialogue(display);
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
    RunStartup(display);
    return RunMainLoop(display, console);
}

}  // namespace korv
