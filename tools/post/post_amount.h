#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korv::tools {
// "13.50", "-5", "+0.7", "1.250" -> hundredths; more than two decimals only when the
// extra ones are zeros. Nothing for anything else or outside 32 bits.
std::optional<std::int32_t> ParseAmount(const std::string& text);

// What to store for an amount of `hundredths` so that korvpole, which shows
// stored / 100 x scale, shows it as typed: hundredths / scale. Nothing when the scale
// cannot show the amount exactly (12.50 with scale 100, which shows whole numbers;
// anything but 0 with scale 0).
std::optional<std::int32_t> StoredAmount(std::int32_t hundredths, std::uint16_t scale);

// Hundredths as "13.50" or "-5.00", for the demo's lines and korvpole-post's messages.
std::string FormatHundredths(std::int64_t hundredths);
}  // namespace korv::tools
