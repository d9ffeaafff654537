#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korv::tools {
// "13.50", "-5", "+0.7", "1.250" -> hundredths; more than two decimals only when the
// extra ones are zeros. Nothing for anything else or outside 32 bits.
std::optional<std::int32_t> ParseAmount(const std::string& text);

// What to store so that korvpole, showing stored / 100 x scale, shows `hundredths`;
// nothing when the scale cannot (12.50 at scale 100; anything but 0 at scale 0).
std::optional<std::int32_t> StoredAmount(std::int32_t hundredths, std::uint16_t scale);

// "13.50", "-5.00".
std::string FormatHundredths(std::int64_t hundredths);
}  // namespace korv::tools
