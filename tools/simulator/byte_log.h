#pragma once

#include <cstdint>
#include <string>

#include "sim/hd44780_model.h"

namespace korv::tools {

// One line per received byte, the way a protocol analyser lists them:
// milliseconds since start, the byte in hex, what it was, its detail, the DDRAM address.
std::string FormatLogLine(std::int64_t elapsed_ms, const sim::DecodedByte& decoded);

// Row and column (1-based) of a DDRAM address on the 4x20 panel; false when the
// address lies outside what the panel shows.
bool PanelPosition(std::uint8_t address, int& row, int& column);

}  // namespace korv::tools
