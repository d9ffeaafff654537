#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/code_pages.h"
#include "platform/system_error.h"

namespace korv::tools {
// Fields left empty keep what the file holds; amounts are hundredths as typed.
struct RecordUpdate {
    std::optional<std::string> line1;
    std::optional<std::string> line2;
    std::optional<std::int32_t> tax;
    std::optional<std::int32_t> total;
    std::optional<std::uint16_t> scale;
};

// For a file that holds no scale yet.
inline constexpr std::uint16_t kDefaultScale = 1;

// Why korvpole-post wrote nothing, in words.
enum class WriteFault { kNone, kFile, kAmount };
using WriteFailure = platform::Failure<WriteFault, std::string>;

// The lines, typed in UTF-8, into `page`; else which line cannot be, and why.
std::string ConvertLines(RecordUpdate& update, charset::CodePage page);

// Cuts the lines to their fields (whole letters in UTF-8); notes on each cut and on
// letters beyond ASCII written without a code page.
std::vector<std::string> CutLines(RecordUpdate& update, const std::optional<charset::CodePage>& page);

// The update written as WriteRecordInPlace writes; `counter` gets the counter written.
WriteFailure WriteRecord(const std::string& path, const RecordUpdate& update, std::uint16_t& counter);
}  // namespace korv::tools
