#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/code_pages.h"
#include "platform/system_error.h"

namespace korv::tools {
// The fields a writer sets; those left empty keep what the file holds. Amounts are
// hundredths as typed, stored so that korvpole shows them so at the record's scale.
struct RecordUpdate {
    std::optional<std::string> line1;
    std::optional<std::string> line2;
    std::optional<std::int32_t> tax;
    std::optional<std::int32_t> total;
    std::optional<std::uint16_t> scale;
};

// The scale a record gets when the file does not hold one yet.
inline constexpr std::uint16_t kDefaultScale = 1;

// Why korvpole-post wrote nothing: the record file cannot be read or written, or an
// amount the scale cannot show exactly; the words are in the failure.
enum class WriteFault { kNone, kFile, kAmount };
using WriteFailure = platform::Failure<WriteFault, std::string>;

// The update's lines, typed in UTF-8, in `page` instead; when one cannot be, the line
// and the first character `page` lacks (or where the text is no UTF-8).
std::string ConvertLines(RecordUpdate& update, charset::CodePage page);

// Notes on lines that do not go as typed, each cut to its field's bytes (whole UTF-8
// letters with `page` UTF-8): the cut, and letters beyond ASCII sent without a code
// page (`page` none) as the bytes typed.
std::vector<std::string> CutLines(RecordUpdate& update, const std::optional<charset::CodePage>& page);

// Writes the update into the record at `path` as WriteRecordInPlace does, creating the
// file when it is missing; `counter` gets the counter written.
WriteFailure WriteRecord(const std::string& path, const RecordUpdate& update, std::uint16_t& counter);
}  // namespace korv::tools
