#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korv::test {

// The fields of POLE.DAT as a point-of-sale writer fills them.
struct PoleRecord {
    std::string line1;  // at most 20 bytes; a shorter text ends with 0x00
    std::string line2;
    std::uint16_t counter = 0;
    std::uint16_t scale = 1;
    std::int32_t tax = 0;    // hundredths before scaling
    std::int32_t total = 0;
};

// The 74 bytes of a record, little-endian, unused bytes zero.
std::string EncodeRecord(const PoleRecord& record);

// Rewrites POLE.DAT in place, as the writer at the counter does: the file is opened
// without truncating, and a record goes in field by field with the counter last, so
// a reader never sees a new counter with old lines.
class PoleRecordWriter {
public:
    explicit PoleRecordWriter(std::string path) : path_(std::move(path)) {}

    void Write(const PoleRecord& record) const;
    // Raw bytes at `offset`; the file grows as needed.
    void WriteBytes(std::size_t offset, const std::string& bytes) const;
    // Cuts or extends the file to `length` bytes; creates it when missing.
    void Truncate(std::size_t length) const;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The rows a customer should see for given texts, 20 characters each.
std::string TextRow(const std::string& line);
std::string TaxRow(const std::string& amount_text);
std::string TotalRow(const std::string& amount_text);

}  // namespace korv::test
