#include "tools/post/record_writer.h"

#include "pole/record_format.h"

namespace korv::tools {
namespace {
using platform::RecordFile;
using platform::RecordOpenFailure;

// A close that fails may be the first word of a failed write.
RecordOpenFailure Finish(RecordFile& file, std::error_code failure) {
    const std::error_code closing = file.Close();
    if (failure || closing) return {platform::RecordFailure::kOther, failure ? failure : closing};
    return {};
}
}  // namespace

std::error_code ReadRecordBytes(RecordFile& file, std::string& bytes) {
    bytes.clear();
    if (const std::error_code failure = file.Seek(0)) return failure;
    char buffer[record::kUsedSize];
    while (bytes.size() < sizeof buffer) {
        int count = 0;
        if (const std::error_code failure = file.Read(buffer, static_cast<int>(sizeof buffer - bytes.size()), count))
            return failure;
        if (count == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return {};
}

RecordOpenFailure ReadRecordBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    RecordFile file;
    if (const RecordOpenFailure failure = file.Open(path, RecordFile::Mode::kRead))
        return failure.cause == platform::RecordFailure::kMissing ? RecordOpenFailure() : failure;
    return Finish(file, ReadRecordBytes(file, bytes));
}

RecordOpenFailure WriteRecordInPlace(const std::string& path, const std::string& record) {
    constexpr std::size_t kCounter = record::kCounterOffset;
    constexpr std::size_t kAfterCounter = kCounter + 2;
    if (record.size() < kAfterCounter) return {platform::RecordFailure::kOther, std::make_error_code(std::errc::invalid_argument)};
    RecordFile file;
    if (const RecordOpenFailure failure = file.Open(path, RecordFile::Mode::kWrite)) return failure;
    std::error_code failure = file.WriteAt(record.data(), kCounter, 0);
    if (!failure) failure = file.WriteAt(record.data() + kAfterCounter, record.size() - kAfterCounter, kAfterCounter);
    if (!failure) failure = file.WriteAt(record.data() + kCounter, 2, kCounter);
    return Finish(file, failure);
}
}  // namespace korv::tools
