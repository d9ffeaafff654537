#include "pole/startup.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "display/display_driver.h"
#include "platform/console_keys.h"
#include "platform/settings_file.h"
#include "pole/console_output.h"

namespace korv {

namespace {

void Ask(const char* question) {
    std::cout << question << std::flush;
}

// All five bytes or none: a save that fails leaves the old file as it was.
// KORVPOLE.CFG's bytes: the two fields one after the other.
constexpr std::size_t kLayoutSize = sizeof Settings::port_text + sizeof Settings::backlight_choice;

platform::SaveFileFailure SaveSettings(const Settings& settings) {
    char bytes[kLayoutSize];
    std::memcpy(bytes, settings.port_text, sizeof settings.port_text);
    std::memcpy(bytes + sizeof settings.port_text, settings.backlight_choice,
                sizeof settings.backlight_choice);
    return platform::SaveFileContents(kConfigFileName, bytes, sizeof bytes);
}

const char* CauseOf(platform::SaveFailure failure) {
    using platform::SaveFailure;
    switch (failure) {
        case SaveFailure::kReadOnly: return "it is read-only";
        case SaveFailure::kFolderByThatName: return "a folder has that name";
        case SaveFailure::kDiskFull: return "the disk is full";
        case SaveFailure::kHeldByAnotherProgram: return "another program holds it";
        case SaveFailure::kFolderRefuses: return "the folder does not allow it";
        default: return "it could not be written";
    }
}

// False when standard input ended (or failed) before an answer came, or a stop came; a
// word that was read is kept as the conversion left it.
bool ReadAnswer(const char* format, char* answer) {
    if (platform::ConsoleKeys::StopRequested()) return false;
    const int converted = std::scanf(format, answer);
    if (converted == EOF) return false;
    if (converted != 1) answer[0] = '\0';
    return true;
}

}  // namespace

int Settings::Port() const { return std::atoi(port_text); }

Settings ReadSettings(const std::string& bytes) {
    Settings settings;
    bytes.copy(settings.port_text, sizeof settings.port_text);
    settings.port_text[2] = '\0';
    if (bytes.size() > sizeof settings.port_text)
        bytes.copy(settings.backlight_choice, sizeof settings.backlight_choice, sizeof settings.port_text);
    return settings;
}

std::optional<Settings> LoadSettings() {
    std::string bytes;
    if (platform::ReadSettingsFile(kConfigFileName, kLayoutSize, bytes)) return std::nullopt;
    return ReadSettings(bytes);
}

void BringUpDisplay(DisplayDriver& display, const Settings& settings, const SideSettings& side) {
    display.Close();
    display.Open(GeometryFor(settings.Port(), side));
    display.SetBacklight(settings.BacklightOn());
    display.Clear();
}

const char* const kProgramVersion = KORV_VERSION;

StartOutcome RunStartup(DisplayDriver& display) {
    PrintNow("Korvane pole app release v " KORV_VERSION "\n");
    PrintNow("Copyright (c) 2026 Korvane. All rights reserved.\n");
    PrintNow("Support: see the README that came with korvpole, or ask the integrator of your "
          "point-of-sale system.\n");
    const SideSettings side = SideSettingsOrEnd();
    const std::string side_line = SideSettingsLine(side);

    const std::optional<Settings> settings = LoadSettings();
    if (!settings) {
        PrintNow("No korvpole.cfg was detected, you MUST run setup.\n");
        PrintNow("Setup will start now.\n");
        const SetupOutcome outcome = RunSetupDialogue(display);
        if (outcome == SetupOutcome::kBadSideFile) return StartOutcome::kBadSideFile;
        if (!side_line.empty()) PrintNow((side_line + "\n").c_str());
        return outcome == SetupOutcome::kNoAnswers ? StartOutcome::kNoSettings : StartOutcome::kReady;
    }

    BringUpDisplay(display, *settings, side);
    std::printf("Reading config...\n");
    std::printf("COM=%s\n", settings->port_text);
    PrintNow(settings->BacklightOn() ? "Backlight=ON\n" : "Backlight=OFF\n");
    if (!side_line.empty()) PrintNow((side_line + "\n").c_str());
    return StartOutcome::kReady;
}

SetupOutcome RunSetupDialogue(DisplayDriver& display) {
    PrintNow("Entering config mode\n\n");
    Settings answers;

    Ask("Please enter the number of the COM Port (i.e. for COM5 enter 5): ");
    const bool port_read = ReadAnswer("%2s", answers.port_text);
    Ask("Enter backlight default on startup (i.e. Press 1 for ON, Press 2 for OFF): ");
    const bool backlight_read = ReadAnswer("%1s", answers.backlight_choice);

    // Answers that never came must not replace stored settings.
    if (!port_read || !backlight_read) {
        if (platform::ConsoleKeys::StopRequested()) return SetupOutcome::kNoAnswers;
        PrintNow(kInputEndedNote);
        // A console or terminal can give input again after its end-of-input key.
        std::clearerr(stdin);
        PrintNow("Exiting config mode\n\n");
        return SetupOutcome::kNoAnswers;
    }
    platform::ConsoleKeys::DropRestOfLine();

    // Read before the save: answers for a display korvpole can no longer describe are
    // not kept, and the display it drives now is closed as X closes it.
    const SideFileReading side = ReadSideFile();
    if (!side.problem.empty()) {
        TellNow(side.problem + "\n");
        PrintNow("Exiting config mode\n\n");
        return SetupOutcome::kBadSideFile;
    }
    const platform::SaveFileFailure failure = SaveSettings(answers);
    if (!failure) {
        BringUpDisplay(display, answers, side.settings);
    } else {
        std::printf("%s was not saved (%s): the answers were not applied.\n", kConfigFileName,
                    CauseOf(failure.cause));
    }
    PrintNow("Exiting config mode\n\n");
    return failure ? SetupOutcome::kNotSaved : SetupOutcome::kApplied;
}

}  // namespace korv
