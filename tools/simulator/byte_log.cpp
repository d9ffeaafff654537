#include "tools/simulator/byte_log.h"

#include <cstdio>

#include "display/protocol.h"

namespace korv::tools {

namespace {

using Kind = sim::DecodedByte::Kind;

std::string Detail(const sim::DecodedByte& decoded) {
    char text[32];
    int row = 0;
    int column = 0;
    switch (decoded.kind) {
        case Kind::kCharacter:
        case Kind::kCgramData:
            if (decoded.byte >= 0x20 && decoded.byte < 0x7F)
                std::snprintf(text, sizeof text, "'%c'", decoded.byte);
            else
                std::snprintf(text, sizeof text, "'\\x%02X'", decoded.byte);
            return text;
        case Kind::kSetAddress:
            if (!PanelPosition(decoded.address, row, column)) return "off-panel";
            std::snprintf(text, sizeof text, "row %d col %d", row, column);
            return text;
        default:
            return "-";
    }
}

}  // namespace

bool PanelPosition(std::uint8_t address, int& row, int& column) {
    for (int index = 0; index < sim::Hd44780Model::kRows; ++index) {
        const int offset = address - protocol::RowStart20x4(index + 1);
        if (offset >= 0 && offset < sim::Hd44780Model::kColumns) {
            row = index + 1;
            column = offset + 1;
            return true;
        }
    }
    return false;
}

std::string FormatLogLine(std::int64_t elapsed_ms, const sim::DecodedByte& decoded) {
    char line[128];
    std::snprintf(line, sizeof line, "%8lld ms  %02X  %-17s  %-14s ddram %02X\n",
                  static_cast<long long>(elapsed_ms), decoded.byte, sim::KindName(decoded.kind),
                  Detail(decoded).c_str(), decoded.address);
    return line;
}

}  // namespace korv::tools
