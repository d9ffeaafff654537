#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/settings_file.h"

namespace korv {
inline constexpr const char* kConfigFileName = "KORVPOLE.CFG";

// KORVPOLE.CFG's five bytes: the port as text of at most two characters, NUL-filled,
// then the backlight choice and a NUL; only the choice's first byte counts.
struct KorvpoleCfg {
    char port_text[3] = {};
    char backlight_choice[2] = {};

    int Port() const { return std::atoi(port_text); }  // "5x" is 5, "CO" 0
    bool BacklightOn() const { return backlight_choice[0] == '1'; }
};

// The layout; bytes the file does not have read as zero.
KorvpoleCfg ParseKorvpoleCfg(const std::string& bytes);
// The working folder's KORVPOLE.CFG; none when it cannot be read or is no ordinary file.
std::optional<KorvpoleCfg> LoadKorvpoleCfg();
// All five bytes or none: a save that fails leaves the old file as it was.
platform::SaveFileFailure SaveKorvpoleCfg(const KorvpoleCfg& settings);
}  // namespace korv
