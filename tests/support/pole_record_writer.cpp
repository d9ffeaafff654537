#include "tests/support/pole_record_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace korv::test {

namespace {

constexpr std::size_t kRecordSize = 74;
constexpr std::size_t kLineSize = 20;
constexpr std::size_t kCounterOffset = 58;
constexpr std::size_t kRowWidth = 20;

void PutLe(std::string& bytes, std::size_t offset, std::uint32_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string RightAligned(const std::string& caption, const std::string& amount) {
    const std::size_t width = kRowWidth - caption.size();
    if (amount.size() >= width) return caption + amount.substr(amount.size() - width);
    return caption + std::string(width - amount.size(), ' ') + amount;
}

}  // namespace

std::string EncodeRecord(const PoleRecord& record) {
    std::string bytes(kRecordSize, '\0');
    bytes.replace(0, std::min(record.line1.size(), kLineSize), record.line1, 0, kLineSize);
    bytes.replace(kLineSize, std::min(record.line2.size(), kLineSize), record.line2, 0, kLineSize);
    PutLe(bytes, kCounterOffset, record.counter, 2);
    PutLe(bytes, 60, record.scale, 2);
    PutLe(bytes, 66, static_cast<std::uint32_t>(record.tax), 4);
    PutLe(bytes, 70, static_cast<std::uint32_t>(record.total), 4);
    return bytes;
}

void PoleRecordWriter::Write(const PoleRecord& record) const {
    const std::string bytes = EncodeRecord(record);
    WriteBytes(0, bytes.substr(0, kCounterOffset));
    WriteBytes(kCounterOffset + 2, bytes.substr(kCounterOffset + 2));
    WriteBytes(kCounterOffset, bytes.substr(kCounterOffset, 2));
}

void PoleRecordWriter::WriteBytes(std::size_t offset, const std::string& bytes) const {
    const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) throw std::runtime_error("cannot open " + path_);
    const ssize_t written = pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    close(fd);
    if (written != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("cannot write " + path_);
}

void PoleRecordWriter::Truncate(std::size_t length) const {
    const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) throw std::runtime_error("cannot open " + path_);
    const int result = ftruncate(fd, static_cast<off_t>(length));
    close(fd);
    if (result != 0) throw std::runtime_error("cannot truncate " + path_);
}

std::string TextRow(const std::string& line) {
    std::string row = line.substr(0, kRowWidth);
    row.resize(kRowWidth, ' ');
    return row;
}

std::string TaxRow(const std::string& amount_text) { return RightAligned("TOTAL TAX", amount_text); }

std::string TotalRow(const std::string& amount_text) {
    return RightAligned("    TOTAL ", amount_text);
}

}  // namespace korv::test
