#include "tools/post/record_writer.h"

#include "pole/record_format.h"
#include "pole/record_messages.h"

namespace korv::tools {

namespace {

using platform::RecordFile;

bool OpenFailed(const std::string& path, RecordFile::Mode mode,
                const platform::RecordOpenFailure& failure, std::string& error) {
    error = RecordFailureWords(path, mode, failure);
    return false;
}

// A close that fails may be the first word of a failed write.
bool Finish(RecordFile& file, std::error_code failure, const std::string& path, std::string& error) {
    const std::error_code closing = file.Close();
    if (!failure) failure = closing;
    if (failure) error = path + ": " + failure.message();
    return !failure;
}

}  // namespace

std::error_code ReadRecordBytes(RecordFile& file, std::string& bytes) {
    bytes.clear();
    if (const std::error_code failure = file.Seek(0)) return failure;
    char buffer[record::kUsedSize];
    while (bytes.size() < sizeof buffer) {
        int count = 0;
        if (const std::error_code failure =
                file.Read(buffer, static_cast<int>(sizeof buffer - bytes.size()), count))
            return failure;
        if (count == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return {};
}

bool ReadRecordBytes(const std::string& path, std::string& bytes, std::string& error) {
    bytes.clear();
    RecordFile file;
    if (const platform::RecordOpenFailure failure = file.Open(path, RecordFile::Mode::kRead))
        return failure.cause == platform::RecordFailure::kMissing ||
               OpenFailed(path, RecordFile::Mode::kRead, failure, error);
    return Finish(file, ReadRecordBytes(file, bytes), path, error);
}

bool WriteRecordInPlace(const std::string& path, const std::string& record, std::string& error) {
    const std::size_t counter = record::kCounterOffset;
    const std::size_t after_counter = counter + 2;
    if (record.size() < after_counter) {
        error = path + ": a record ends after its change counter";
        return false;
    }
    RecordFile file;
    if (const platform::RecordOpenFailure failure = file.Open(path, RecordFile::Mode::kWrite))
        return OpenFailed(path, RecordFile::Mode::kWrite, failure, error);
    std::error_code failure = file.WriteAt(record.data(), counter, 0);
    if (!failure)
        failure = file.WriteAt(record.data() + after_counter, record.size() - after_counter, after_counter);
    if (!failure) failure = file.WriteAt(record.data() + counter, 2, counter);
    return Finish(file, failure, path, error);
}

bool WriteBytesAt(const std::string& path, std::size_t offset, const std::string& bytes,
                  std::string& error) {
    RecordFile file;
    if (const platform::RecordOpenFailure failure = file.Open(path, RecordFile::Mode::kWrite))
        return OpenFailed(path, RecordFile::Mode::kWrite, failure, error);
    return Finish(file, file.WriteAt(bytes.data(), bytes.size(), offset), path, error);
}

}  // namespace korv::tools
