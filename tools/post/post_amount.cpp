#include "tools/post/post_amount.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace korv::tools {
std::optional<std::int32_t> ParseAmount(const std::string& text) {
    const std::size_t sign = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    const std::size_t point = std::min(text.find('.'), text.size());
    const std::string whole = text.substr(sign, point - sign);
    std::string fraction = point < text.size() ? text.substr(point + 1) : "";
    if ((whole + fraction).empty() || (whole + fraction).find_first_not_of("0123456789") != std::string::npos ||
        fraction.find_first_not_of('0', 2) != std::string::npos)  // a fraction of a cent
        return std::nullopt;
    fraction.resize(2, '0');
    // Digit by digit, so that no binary fraction rounds a cent away.
    std::int64_t magnitude = 0;
    for (const char digit : whole + fraction) {
        magnitude = magnitude * 10 + (digit - '0');
        if (magnitude > -std::int64_t{std::numeric_limits<std::int32_t>::min()}) return std::nullopt;
    }
    const std::int64_t value = text[0] == '-' ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> StoredAmount(std::int32_t hundredths, std::uint16_t scale) {
    if (scale == 0 ? hundredths != 0 : hundredths % scale != 0) return std::nullopt;
    return scale == 0 ? 0 : hundredths / scale;
}

std::string FormatHundredths(std::int64_t hundredths) {
    const std::int64_t magnitude = std::llabs(hundredths);
    const std::string cents = std::to_string(100 + magnitude % 100).substr(1);
    return (hundredths < 0 ? "-" : "") + std::to_string(magnitude / 100) + "." + cents;
}
}  // namespace korv::tools
