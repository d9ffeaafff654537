#pragma once

#include <cstdint>

namespace korv::platform {

// Positioned reads of a record, as the poll cycle needs them.
class RecordReader {
public:
    virtual ~RecordReader() = default;
    // The new position, or -1 when the position cannot be moved.
    virtual std::int64_t Seek(std::int64_t offset) = 0;
    // Bytes delivered, 0 at the end of the record, -1 on error.
    virtual int Read(void* buffer, int size) = 0;
};

// The pole record file: read only, binary, created empty when missing, and shared
// with its writer, which may rewrite it at any moment. A link to an existing file is
// read like the file; a missing file is created under its own name only, never through
// a link, so a link leading nowhere is a file that cannot be opened.
class RecordFile final : public RecordReader {
public:
    RecordFile() = default;
    ~RecordFile() override;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    bool Open(const char* name);
    void Close();
    std::int64_t Seek(std::int64_t offset) override;
    int Read(void* buffer, int size) override;

private:
    int descriptor_ = -1;
};

}  // namespace korv::platform
