#include "pole/startup.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "display/display_driver.h"
#include "platform/settings_file.h"
#include "pole/console_output.h"

namespace korv {

namespace {

void Ask(const char* question) {
    std::cout << question << std::flush;
}

// All five bytes or none: a save that fails leaves the old file as it was.
platform::SaveResult SaveSettings(const Settings& settings) {
    char bytes[sizeof settings.port_text + sizeof settings.backlight_choice];
    std::memcpy(bytes, settings.port_text, sizeof settings.port_text);
    std::memcpy(bytes + sizeof settings.port_text, settings.backlight_choice,
                sizeof settings.backlight_choice);
    return platform::SaveFileContents(kConfigFileName, bytes, sizeof bytes);
}

const char* CauseOf(platform::SaveResult result) {
    using platform::SaveResult;
    switch (result) {
        case SaveResult::kReadOnly: return "it is read-only";
        case SaveResult::kFolderByThatName: return "a folder has that name";
        case SaveResult::kDiskFull: return "the disk is full";
        case SaveResult::kHeldByAnotherProgram: return "another program holds it";
        case SaveResult::kFolderRefuses: return "the folder does not allow it";
        default: return "it could not be written";
    }
}

// False when standard input ended (or failed) before an answer came; a word that was
// read is kept as the conversion left it.
bool ReadAnswer(const char* format, char* answer) {
    const int converted = std::scanf(format, answer);
    if (converted == EOF) return false;
    if (converted != 1) answer[0] = '\0';
    return true;
}

}  // namespace

int Settings::Port() const { return std::atoi(port_text); }

Settings ReadSettings(std::FILE* file) {
    Settings settings;
    std::fread(settings.port_text, 1, sizeof settings.port_text, file);
    settings.port_text[2] = '\0';
    std::fread(settings.backlight_choice, 1, sizeof settings.backlight_choice, file);
    return settings;
}

void BringUpDisplay(DisplayDriver& display, const Settings& settings, const SideSettings& side) {
    display.Close();
    display.Open(GeometryFor(settings.Port(), side));
    display.SetBacklight(settings.BacklightOn());
    display.Clear();
}

const char* const kProgramVersion = KORV_VERSION;

void RunStartup(DisplayDriver& display) {
    PrintNow("Korvane pole app release v " KORV_VERSION "\n");
    PrintNow("Copyright (c) 2026 Korvane. All rights reserved.\n");
    PrintNow("Support: see the README that came with korvpole, or ask the integrator of your "
          "point-of-sale system.\n");
    const SideSettings side = SideSettingsOrEnd();
    const std::string side_line = SideSettingsLine(side);

    std::FILE* file = std::fopen(kConfigFileName, "r");
    if (file == nullptr) {
        PrintNow("No korvpole.cfg was detected, you MUST run setup.\n");
        PrintNow("Setup will start now.\n");
        RunSetupDialogue(display);
        if (!side_line.empty()) PrintNow((side_line + "\n").c_str());
        return;
    }
    const Settings settings = ReadSettings(file);
    std::fclose(file);

    BringUpDisplay(display, settings, side);
    std::printf("Reading config...\n");
    std::printf("COM=%s\n", settings.port_text);
    PrintNow(settings.BacklightOn() ? "Backlight=ON\n" : "Backlight=OFF\n");
    if (!side_line.empty()) PrintNow((side_line + "\n").c_str());
}

bool RunSetupDialogue(DisplayDriver& display) {
    PrintNow("Entering config mode\n\n");
    Settings answers;

    Ask("Please enter the number of the COM Port (i.e. for COM5 enter 5): ");
    const bool port_read = ReadAnswer("%2s", answers.port_text);
    Ask("Enter backlight default on startup (i.e. Press 1 for ON, Press 2 for OFF): ");
    const bool backlight_read = ReadAnswer("%1s", answers.backlight_choice);

    // Answers that never came must not replace stored settings.
    if (!port_read || !backlight_read) {
        PrintNow(kInputEndedNote);
        // A console or terminal can give input again after its end-of-input key.
        std::clearerr(stdin);
        PrintNow("Exiting config mode\n\n");
        return false;
    }

    const platform::SaveResult saved = SaveSettings(answers);
    if (saved == platform::SaveResult::kSaved) {
        BringUpDisplay(display, answers, SideSettingsOrEnd());
    } else {
        std::printf("%s was not saved (%s): the answers were not applied.\n", kConfigFileName,
                    CauseOf(saved));
    }
    PrintNow("Exiting config mode\n\n");
    return saved == platform::SaveResult::kSaved;
}

}  // namespace korv
