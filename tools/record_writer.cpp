#include "tools/record_writer.h"

#include <algorithm>

#include "platform/writable_record_file.h"
#include "pole/pole_record.h"

namespace korv::tools {

namespace {

void PutLe(std::string& bytes, std::size_t offset, std::uint32_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutLine(std::string& bytes, std::size_t offset, const std::string& text) {
    const std::size_t size = std::min<std::size_t>(text.size(), record::kLineSize);
    bytes.replace(offset, size, text, 0, size);
}

bool Failed(const platform::WritableRecordFile& file, const std::string& path, std::string& error) {
    error = path + ": " + file.LastError();
    return false;
}

bool OpenFailed(const platform::WritableRecordFile& file, const std::string& path,
                std::string& error) {
    if (!file.NameTaken()) return Failed(file, path, error);
    error = path + " is a link that leads nowhere; no file is created through it: point it "
                   "at the record file, or remove it";
    return false;
}

// A close that fails may be the first word of a failed write.
bool Finish(platform::WritableRecordFile& file, bool ok, const std::string& path,
            std::string& error) {
    if (!ok) {
        Failed(file, path, error);
        file.Close();
        return false;
    }
    return file.Close() || Failed(file, path, error);
}

}  // namespace

std::string EncodeRecord(const PoleRecordFields& fields) {
    std::string bytes(record::kUsedSize, '\0');
    PutLine(bytes, record::kLine1Offset, fields.line1);
    PutLine(bytes, record::kLine2Offset, fields.line2);
    PutLe(bytes, record::kCounterOffset, fields.counter, 2);
    PutLe(bytes, record::kScaleOffset, fields.scale, 2);
    PutLe(bytes, record::kTaxOffset, static_cast<std::uint32_t>(fields.tax), 4);
    PutLe(bytes, record::kTotalOffset, static_cast<std::uint32_t>(fields.total), 4);
    return bytes;
}

bool ReadRecordBytes(const std::string& path, std::string& bytes, std::string& error) {
    bytes.clear();
    platform::WritableRecordFile file;
    if (!file.OpenForReading(path)) return file.Missing() || Failed(file, path, error);
    char buffer[record::kUsedSize];
    while (bytes.size() < sizeof buffer) {
        const long count = file.ReadAt(buffer, sizeof buffer - bytes.size(), bytes.size());
        if (count < 0) return Finish(file, false, path, error);
        if (count == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return Finish(file, true, path, error);
}

bool WriteRecordInPlace(const std::string& path, const std::string& record, std::string& error) {
    const std::size_t counter = record::kCounterOffset;
    const std::size_t after_counter = counter + 2;
    if (record.size() < after_counter) {
        error = path + ": a record ends after its change counter";
        return false;
    }
    platform::WritableRecordFile file;
    if (!file.OpenForWriting(path)) return OpenFailed(file, path, error);
    const bool ok = file.WriteAt(record.data(), counter, 0) &&
                    file.WriteAt(record.data() + after_counter, record.size() - after_counter,
                                 after_counter) &&
                    file.WriteAt(record.data() + counter, 2, counter);
    return Finish(file, ok, path, error);
}

bool WriteBytesAt(const std::string& path, std::size_t offset, const std::string& bytes,
                  std::string& error) {
    platform::WritableRecordFile file;
    if (!file.OpenForWriting(path)) return OpenFailed(file, path, error);
    return Finish(file, file.WriteAt(bytes.data(), bytes.size(), offset), path, error);
}

}  // namespace korv::tools
