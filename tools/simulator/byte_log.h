#pragma once

#include <cstdint>
#include <string>

#include "sim/display_model.h"

namespace korv::tools {
// One line per received byte, the way a protocol analyser lists them:
// milliseconds since start, the byte in hex, what it was, its detail, and where it left
// the cursor in the display's own terms (the DDRAM address of an HD44780).
std::string FormatLogLine(std::int64_t elapsed_ms, const sim::DecodedByte& decoded, const sim::DisplayModel& model);
}  // namespace korv::tools
