#include "pole/startup.h"

#include <cstdio>
#include <string>

#include "pole/console_output.h"

namespace korv {
const char* const kProgramVersion = KORV_VERSION;

platform::PortOpenFailure BringUpDisplay(DisplayDriver& display, const KorvpoleCfg& settings,
                                         const KorvpoleIni& ini) {
    display.Close();
    DisplayGeometry geometry = ini.display;
    geometry.port = settings.Port();
    geometry.backlight_on = false;
    const platform::PortOpenFailure failure = display.Open(geometry);
    display.SetBacklight(settings.BacklightOn());
    display.Clear();
    return failure;
}

SetupOutcome RunSetup(DisplayDriver& display, InForce& in_force) {
    KorvpoleCfg answers;
    KorvpoleIni ini;
    const SetupOutcome outcome = RunSetupDialogue(answers, ini);
    if (outcome != SetupOutcome::kSaved) return outcome;
    in_force.dark = BringUpDisplay(display, answers, ini);
    in_force.ini = ini;
    return outcome;
}

StartOutcome RunStartup(DisplayDriver& display, InForce& in_force) {
    PrintNow("Korvane pole app release v " KORV_VERSION "\n");
    PrintNow("Copyright (c) 2026 Korvane. All rights reserved.\n");
    PrintNow("Support: see the README that came with korvpole, or ask the integrator of your "
             "point-of-sale system.\n");
    KorvpoleIni& ini = in_force.ini;
    if (const std::string problem = ReadKorvpoleIni(ini); !problem.empty()) {
        TellNow(problem + "\n");
        return StartOutcome::kBadIni;
    }
    const std::string ini_line = IniLine(ini);
    for (const char* name : {kIniFileName, kConfigFileName})
        if (const std::string note = HiddenTxtNote(name); !note.empty()) TellNow(note + "\n");

    const std::optional<KorvpoleCfg> settings = LoadKorvpoleCfg();
    if (!settings) {
        PrintNow("No korvpole.cfg was detected, you MUST run setup.\n");
        PrintNow("Setup will start now.\n");
        // Nothing was brought up unless the answers were saved.
        in_force.dark = {platform::OpenFailure::kNoPortNumber, {}};
        const SetupOutcome outcome = RunSetup(display, in_force);
        if (outcome == SetupOutcome::kBadIni) return StartOutcome::kBadIni;
        if (!ini_line.empty()) PrintNow((ini_line + "\n").c_str());
        return outcome == SetupOutcome::kNoAnswers ? StartOutcome::kNoSettings : StartOutcome::kReady;
    }

    in_force.dark = BringUpDisplay(display, *settings, ini);
    std::printf("Reading config...\n");
    std::printf("COM=%s\n", settings->port_text);
    PrintNow(settings->BacklightOn() ? "Backlight=ON\n" : "Backlight=OFF\n");
    if (!ini_line.empty()) PrintNow((ini_line + "\n").c_str());
    return StartOutcome::kReady;
}
}  // namespace korv
