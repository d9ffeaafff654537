#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "display/code_pages.h"

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

struct WriteOutcome {
    // korvpole-post's exit status: 0 written; 1 the file cannot be read or written;
    // 2 an amount the scale cannot show exactly, and nothing written.
    int status = 0;
    std::uint16_t counter = 0;  // the counter written
    std::string error;
};

// The update's lines, typed in UTF-8, in `page` instead. False, with `error` naming the
// line and the first character `page` lacks (or where the text is no UTF-8), when one
// cannot be.
bool ConvertLines(RecordUpdate& update, charset::CodePage page, std::string& error);

// Writes the update into the record at `path` in place, creating the file when it is
// missing: lines, scale and amounts first, the change counter last, so that a reader
// that sees the new counter also finds the new lines.
WriteOutcome WriteRecord(const std::string& path, const RecordUpdate& update);

}  // namespace korv::tools
