#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/record_file.h"
#include "pole/korvpole_ini.h"

namespace korv::tools {
// What korvpole makes of a record file, for an integrator: the rows the display shows
// when korvpole takes the file's counter as new, read back from the bytes the driver
// sends through that kind's model; the fields as stored; what needs attention.
struct RecordView {
    std::vector<std::string> rows;  // each display row as a customer reads it, UTF-8
    std::vector<int> shown_rows;    // the drawn row each display row shows, top first
    std::vector<bool> drawn;        // korvpole writes into the display row at all
    std::optional<std::uint16_t> counter;
    std::optional<std::uint16_t> scale;
    std::optional<std::int32_t> tax;
    std::optional<std::int32_t> total;
    std::vector<std::string> warnings;
};

// The rows korvpole draws from `file` on the display KORVPOLE.INI (`ini`) describes, and
// the fields and warnings of `record`, the file's content (its first 74 bytes).
RecordView InspectRecord(platform::RecordFile& file, const std::string& record, const KorvpoleIni& ini);

// The view as printed by korvpole-post --show for the file `name`.
std::string FormatRecordView(const std::string& name, std::uint64_t file_size, const RecordView& view,
                             const KorvpoleIni& ini = KorvpoleIni());

// Prints the view of the file at `path`; or why it cannot be read.
std::string ShowRecordFile(const std::string& path, const KorvpoleIni& ini);
}  // namespace korv::tools
