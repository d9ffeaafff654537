#include "pole/korvpole_cfg.h"

namespace korv {
constexpr std::size_t kLayoutSize = sizeof KorvpoleCfg::port_text + sizeof KorvpoleCfg::backlight_choice;

KorvpoleCfg ParseKorvpoleCfg(const std::string& bytes) {
    KorvpoleCfg settings;
    bytes.copy(settings.port_text, sizeof settings.port_text);
    settings.port_text[2] = '\0';
    if (bytes.size() > sizeof settings.port_text)
        bytes.copy(settings.backlight_choice, sizeof settings.backlight_choice, sizeof settings.port_text);
    return settings;
}

std::optional<KorvpoleCfg> LoadKorvpoleCfg() {
    std::string bytes;
    if (platform::ReadSettingsFile(kConfigFileName, kLayoutSize, bytes)) return std::nullopt;
    return ParseKorvpoleCfg(bytes);
}

platform::SaveFileFailure SaveKorvpoleCfg(const KorvpoleCfg& settings) {
    const std::string bytes = std::string(settings.port_text, sizeof settings.port_text) +
                              std::string(settings.backlight_choice, sizeof settings.backlight_choice);
    return platform::SaveFileContents(kConfigFileName, bytes.data(), bytes.size());
}
}  // namespace korv
