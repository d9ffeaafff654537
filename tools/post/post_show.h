#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/record_file.h"
#include "pole/korvpole_ini.h"

namespace korv::tools {
// What korvpole makes of a record file: the rows it draws when it takes the counter as
// new, the driver's bytes read back through the kind's model; the fields; warnings.
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

// `file` on the display `ini` describes; `record` is its first 74 bytes, or fewer.
RecordView InspectRecord(platform::RecordFile& file, const std::string& record, const KorvpoleIni& ini);

// As korvpole-post --show prints it.
std::string FormatRecordView(const std::string& name, std::uint64_t file_size, const RecordView& view,
                             const KorvpoleIni& ini = KorvpoleIni());

// Prints the view of the file at `path`; else gives why it cannot be read.
std::string ShowRecordFile(const std::string& path, const KorvpoleIni& ini);
}  // namespace korv::tools
