#include "tools/simulator/simulator.h"

#include <cstdio>

#include "display/code_pages.h"
#include "display/lcd_characters.h"
#include "display/row_text.h"

namespace korv::tools {
namespace {
using Kind = sim::DecodedByte::Kind;

std::string Detail(const sim::DecodedByte& decoded) {
    char text[16];
    switch (decoded.kind) {
        case Kind::kCgramData:
            // The last row of a pattern names the letter the character now shows.
            if (decoded.letter != 0)
                return "cgram " + std::to_string(decoded.address / charset::GlyphPattern().size()) + " <- " +
                       charset::Utf8Of(decoded.letter);
            [[fallthrough]];
        case Kind::kCharacter:
            std::snprintf(text, sizeof text, IsPrintable(decoded.byte) ? "'%c'" : "'\\x%02X'", decoded.byte);
            return text;
        case Kind::kSetAddress:
            if (decoded.row == 0) return "off-panel";
            return "row " + std::to_string(decoded.row) + " col " + std::to_string(decoded.column);
        default:
            return "-";
    }
}
}  // namespace

std::string FormatLogLine(std::int64_t elapsed_ms, const sim::DecodedByte& decoded, const sim::DisplayModel& model) {
    const std::string detail = Detail(decoded);
    // Its column is as wide in characters whatever letter it names.
    int width = 14;
    for (const char c : detail) width += (static_cast<unsigned char>(c) & 0xC0) == 0x80;
    char line[128];
    std::snprintf(line, sizeof line, "%8lld ms  %02X  %-17s  %-*s %s\n", static_cast<long long>(elapsed_ms),
                  decoded.byte, sim::KindName(decoded.kind), width, detail.c_str(), model.PlaceText(decoded).c_str());
    return line;
}
}  // namespace korv::tools
