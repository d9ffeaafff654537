#pragma once

#include <cstdint>
#include <string>

// The pole record laid out by hand, apart from the writer, so that a wrong offset there
// still fails a test. The bytes the reader never looks at hold 0xAA unless told, so that
// reading one by mistake shows.
namespace korv::test {
inline std::string Le16(std::uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

inline std::string Le32(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((bits >> (8 * i)) & 0xFF);
    return bytes;
}

inline std::string LineField(const std::string& text) {
    std::string field = text.substr(0, 20);
    field.resize(20, '\0');
    return field;
}

inline std::string RecordByHand(const std::string& line1, const std::string& line2,
                                std::uint16_t counter, std::uint16_t scale, std::int32_t tax,
                                std::int32_t total, char unread = '\xAA') {
    return LineField(line1) + LineField(line2) + std::string(18, unread) + Le16(counter) +
           Le16(scale) + std::string(4, unread) + Le32(tax) + Le32(total);
}
}  // namespace korv::test
