#pragma once

#include "pole/korvpole_cfg.h"
#include "pole/korvpole_ini.h"

namespace korv {
enum class SetupOutcome {
    kSaved,      // `answers` are in KORVPOLE.CFG, for the display as `ini` describes it
    kNotSaved,   // answered, but not saved: the file as it was
    kNoAnswers,  // input ended, or a stop came, before both answers
    kBadIni,     // answered, but KORVPOLE.INI cannot be used: nothing saved
};

// Two questions on the console; the rest of the second answer's line is dropped.
// KORVPOLE.INI is read again before the answers are saved, so that answers for a display
// korvpole can no longer describe are not kept.
SetupOutcome RunSetupDialogue(KorvpoleCfg& answers, KorvpoleIni& ini);
}  // namespace korv
