#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/code_pages.h"
#include "display/display_kinds.h"
#include "platform/record_file.h"
#include "display/display_geometry.h"

namespace korv::tools {

// What korvpole makes of a record file, for an integrator: the rows it draws when it
// takes the file's counter as new, the fields as stored, and what needs attention.
struct RecordView {
    std::array<std::string, 4> rows;  // as the display shows them, 20 bytes each
    std::array<bool, 4> drawn{};      // korvpole writes into the row at all
    DisplayKind kind = DisplayKind::kLcd;
    std::vector<int> shown_rows;      // the rows the display shows, top first
    std::optional<std::uint16_t> counter;
    std::optional<std::uint16_t> scale;
    std::optional<std::int32_t> tax;
    std::optional<std::int32_t> total;
    std::vector<std::string> warnings;
    std::optional<charset::CodePage> text;  // the code page the rows are written in
};

// The rows korvpole draws from `file`, and the fields and warnings of `record`, the
// file's content (at least its first 74 bytes when it has them), on the display and
// with the code page KORVPOLE.INI names.
RecordView InspectRecord(platform::RecordFile& file, const std::string& record,
                         const DisplayGeometry& side = DisplayGeometry());

// The view as printed by korvpole-post --show for the file `name`; rows written in a
// code page in UTF-8.
std::string FormatRecordView(const std::string& name, std::uint64_t file_size,
                             const RecordView& view);

// Prints the view of the file at `path`; or why it cannot be read.
std::string ShowRecordFile(const std::string& path, const DisplayGeometry& side);

}  // namespace korv::tools
