#pragma once

#include "display/display_driver.h"
#include "pole/korvpole_cfg.h"
#include "pole/korvpole_ini.h"
#include "pole/setup_dialogue.h"

namespace korv {
// The version the build was given, "1.0.1".
extern const char* const kProgramVersion;

// The display brought up anew as the two files describe it; why its port did not open.
platform::PortOpenFailure BringUpDisplay(DisplayDriver& display, const KorvpoleCfg& settings,
                                         const KorvpoleIni& ini);

// What a start or a setup put in force.
struct InForce {
    KorvpoleIni ini;                 // the display korvpole drives, the amount rows' words
    platform::PortOpenFailure dark;  // why the display did not open
};

// The setup dialogue; answers once saved bring the display up again and are in force.
SetupOutcome RunSetup(DisplayDriver& display, InForce& in_force);

enum class StartOutcome {
    kReady,       // the display brought up from KORVPOLE.CFG or the dialogue's answers
    kNoSettings,  // no KORVPOLE.CFG, and the dialogue got no answers
    kBadIni,      // KORVPOLE.INI cannot be used; nothing went to a port
};

// Banner, KORVPOLE.INI, then KORVPOLE.CFG, or the setup dialogue when there is none.
StartOutcome RunStartup(DisplayDriver& display, InForce& in_force);
}  // namespace korv
