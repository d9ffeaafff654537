#include "tools/simulator/byte_log.h"

#include <cstdio>


namespace korv::tools {

namespace {

using Kind = sim::DecodedByte::Kind;

std::string Detail(const sim::DecodedByte& decoded) {
    char text[32];
    switch (decoded.kind) {
        case Kind::kCharacter:
        case Kind::kCgramData:
            if (decoded.byte >= 0x20 && decoded.byte < 0x7F)
                std::snprintf(text, sizeof text, "'%c'", decoded.byte);
            else
                std::snprintf(text, sizeof text, "'\\x%02X'", decoded.byte);
            return text;
        case Kind::kSetAddress:
            if (decoded.row == 0) return "off-panel";
            std::snprintf(text, sizeof text, "row %d col %d", decoded.row, decoded.column);
            return text;
        default:
            return "-";
    }
}

}  // namespace

std::string FormatLogLine(std::int64_t elapsed_ms, const sim::DecodedByte& decoded,
                          const sim::DisplayModel& model) {
    char line[128];
    std::snprintf(line, sizeof line, "%8lld ms  %02X  %-17s  %-14s %s\n",
                  static_cast<long long>(elapsed_ms), decoded.byte, sim::KindName(decoded.kind),
                  Detail(decoded).c_str(), model.PlaceText(decoded).c_str());
    return line;
}

}  // namespace korv::tools
