#include "pole/setup_dialogue.h"

#include <cstdio>
#include <iostream>

#include "platform/console_keys.h"
#include "platform/stop_request.h"
#include "pole/console_output.h"
#include "pole/failure_words.h"

namespace korv {
namespace {
// False when standard input ended (or failed) before an answer came, or a stop came; a
// word that was read is kept as the conversion left it.
bool ReadAnswer(const char* format, char* answer) {
    if (platform::StopRequested()) return false;
    const int converted = std::scanf(format, answer);
    if (converted == EOF) return false;
    if (converted != 1) answer[0] = '\0';
    return true;
}
}  // namespace

SetupOutcome RunSetupDialogue(KorvpoleCfg& answers, KorvpoleIni& ini) {
    PrintNow("Entering config mode\n\n");
    answers = KorvpoleCfg();
    // The questions go out through the output stream, which shares standard output.
    std::cout << "Please enter the number of the COM Port (i.e. for COM5 enter 5): " << std::flush;
    const bool port_read = ReadAnswer("%2s", answers.port_text);
    std::cout << "Enter backlight default on startup (i.e. Press 1 for ON, Press 2 for OFF): " << std::flush;
    const bool backlight_read = ReadAnswer("%1s", answers.backlight_choice);

    // Answers that never came must not replace stored settings.
    if (!port_read || !backlight_read) {
        if (platform::StopRequested()) return SetupOutcome::kNoAnswers;
        PrintNow(kInputEndedNote);
        // A console or terminal can give input again after its end-of-input key.
        std::clearerr(stdin);
        PrintNow("Exiting config mode\n\n");
        return SetupOutcome::kNoAnswers;
    }
    platform::ConsoleKeys::DropRestOfLine();

    SetupOutcome outcome = SetupOutcome::kSaved;
    if (const std::string problem = ReadKorvpoleIni(ini); !problem.empty()) {
        TellNow(problem + "\n");
        outcome = SetupOutcome::kBadIni;
    } else if (const platform::SaveFileFailure failure = SaveKorvpoleCfg(answers)) {
        std::printf("%s was not saved (%s): the answers were not applied.\n", kConfigFileName,
                    SaveFailureCause(failure.cause));
        outcome = SetupOutcome::kNotSaved;
    }
    PrintNow("Exiting config mode\n\n");
    return outcome;
}
}  // namespace korv
