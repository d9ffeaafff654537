#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/code_pages.h"
#include "platform/system_error.h"

namespace korv::tools {

// The fields a writer sets; those left empty keep what the file holds. Amounts are
// hundredths as typed: they are stored so that korvpole shows them so at the record's
// scale.
struct RecordUpdate {
    std::optional<std::string> line1;
    std::optional<std::string> line2;
    std::optional<std::int32_t> tax;
    std::optional<std::int32_t> total;
    std::optional<std::uint16_t> scale;
};

// The scale a record gets when the file does not hold one yet.
inline constexpr std::uint16_t kDefaultScale = 1;

// Why korvpole-post wrote nothing, in its words.
enum class WriteFault {
    kNone,
    kFile,    // the record file cannot be read or written
    kAmount,  // an amount the scale cannot show exactly
};
using WriteFailure = platform::Failure<WriteFault, std::string>;

// The update's lines, typed in UTF-8, in `page` instead; when one cannot be, the line
// and the first character `page` lacks (or where the text is no UTF-8).
std::string ConvertLines(RecordUpdate& update, charset::CodePage page);

// Notes on lines that do not go as typed, each cut to its field's bytes (whole UTF-8
// letters with `page` UTF-8): the cut, and letters beyond ASCII sent without a code
// page (`page` none) as the bytes typed.
std::vector<std::string> CutLines(RecordUpdate& update, const std::optional<charset::CodePage>& page);

// Writes the update into the record at `path` in place, creating the file when it is
// missing: lines, scale and amounts first, the change counter last, so that a reader
// that sees the new counter also finds the new lines. `counter` gets the counter written.
WriteFailure WriteRecord(const std::string& path, const RecordUpdate& update, std::uint16_t& counter);

}  // namespace korv::tools
