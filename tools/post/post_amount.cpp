#include "tools/post/post_amount.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

namespace korv::tools {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Appends one digit; false once the magnitude leaves what a negative int32 can hold.
bool PushDigit(std::int64_t& magnitude, char digit) {
    magnitude = magnitude * 10 + (digit - '0');
    return magnitude <= -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min());
}

}  // namespace

bool ParseAmount(const std::string& text, std::int32_t& hundredths) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';

    std::int64_t magnitude = 0;
    int whole_digits = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at, ++whole_digits)
        if (!PushDigit(magnitude, text[at])) return false;

    int fraction_digits = 0;
    if (at < text.size() && text[at] == '.') {
        for (++at; at < text.size() && IsDigit(text[at]); ++at, ++fraction_digits) {
            if (fraction_digits < 2) {
                if (!PushDigit(magnitude, text[at])) return false;
            } else if (text[at] != '0') {
                return false;  // a fraction of a cent
            }
        }
    }
    if (at != text.size() || whole_digits + fraction_digits == 0) return false;
    for (int missing = fraction_digits; missing < 2; ++missing)
        if (!PushDigit(magnitude, '0')) return false;

    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) return false;
    hundredths = static_cast<std::int32_t>(value);
    return true;
}

std::optional<std::int32_t> StoredAmount(std::int32_t hundredths, std::uint16_t scale) {
    if (scale == 0) return hundredths == 0 ? std::optional<std::int32_t>(0) : std::nullopt;
    if (hundredths % scale != 0) return std::nullopt;
    return hundredths / scale;
}

std::string FormatHundredths(std::int64_t hundredths) {
    const std::int64_t magnitude = std::llabs(hundredths);
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld.%02lld", hundredths < 0 ? "-" : "",
                  static_cast<long long>(magnitude / 100), static_cast<long long>(magnitude % 100));
    return text;
}

}  // namespace korv::tools
