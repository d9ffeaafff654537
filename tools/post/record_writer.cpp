#include "tools/post/record_writer.h"

#include "pole/record_format.h"

namespace korv::tools {

namespace {

using platform::RecordFile;

bool Failed(const RecordFile& file, const std::string& path, std::string& error) {
    error = path + ": " + file.LastError();
    return false;
}

bool OpenFailed(const RecordFile& file, const std::string& path, std::string& error) {
    if (!file.NameTaken()) return Failed(file, path, error);
    error = path + " is a link that leads nowhere; no file is created through it: point it "
                   "at the record file, or remove it";
    return false;
}

// A close that fails may be the first word of a failed write.
bool Finish(RecordFile& file, bool ok, const std::string& path, std::string& error) {
    if (!ok) {
        Failed(file, path, error);
        file.Close();
        return false;
    }
    return file.Close() || Failed(file, path, error);
}

}  // namespace

bool ReadRecordBytes(RecordFile& file, std::string& bytes) {
    bytes.clear();
    if (file.Seek(0) != 0) return false;
    char buffer[record::kUsedSize];
    while (bytes.size() < sizeof buffer) {
        const int count = file.Read(buffer, static_cast<int>(sizeof buffer - bytes.size()));
        if (count < 0) return false;
        if (count == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return true;
}

bool ReadRecordBytes(const std::string& path, std::string& bytes, std::string& error) {
    bytes.clear();
    RecordFile file;
    if (!file.Open(path, RecordFile::Mode::kRead)) return file.Missing() || Failed(file, path, error);
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
    if (!file.Open(path, RecordFile::Mode::kWrite)) return OpenFailed(file, path, error);
    const bool ok = file.WriteAt(record.data(), counter, 0) &&
                    file.WriteAt(record.data() + after_counter, record.size() - after_counter,
                                 after_counter) &&
                    file.WriteAt(record.data() + counter, 2, counter);
    return Finish(file, ok, path, error);
}

bool WriteBytesAt(const std::string& path, std::size_t offset, const std::string& bytes,
                  std::string& error) {
    RecordFile file;
    if (!file.Open(path, RecordFile::Mode::kWrite)) return OpenFailed(file, path, error);
    return Finish(file, file.WriteAt(bytes.data(), bytes.size(), offset), path, error);
}

}  // namespace korv::tools
