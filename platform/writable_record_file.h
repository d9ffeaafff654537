#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korv::platform {

// The pole record file as its writer uses it: read and written in place at offsets,
// never truncated, shared with the reader that polls it. A missing file is created
// as an ordinary file under its own name only, so that a dangling link never makes a
// file somewhere else.
class WritableRecordFile {
public:
    WritableRecordFile() = default;
    ~WritableRecordFile();
    WritableRecordFile(const WritableRecordFile&) = delete;
    WritableRecordFile& operator=(const WritableRecordFile&) = delete;

    // Opens the file to read it only; false when it is missing or cannot be opened.
    bool OpenForReading(const std::string& path);
    // Opens the file to write it, creating it when it is missing.
    bool OpenForWriting(const std::string& path);
    // Reads up to `size` bytes at `offset`: the count, 0 at the end, -1 on failure.
    long ReadAt(void* buffer, std::size_t size, std::size_t offset);
    // Writes all `size` bytes at `offset`, the file growing as needed.
    bool WriteAt(const void* bytes, std::size_t size, std::size_t offset);
    // False when the system reports a failure on closing, as a late write error.
    bool Close();

    // The last failure was "no such file".
    bool Missing() const;
    // The last failure was a create refused because something, such as a link that
    // leads nowhere, already has the name.
    bool NameTaken() const;
    // The last failure in the system's words; empty when there was none.
    std::string LastError() const;

private:
    static constexpr int kNotOrdinaryFile = -1;  // no system error says so
    bool Fail();

    std::intptr_t handle_ = -1;  // a descriptor, or a Windows handle
    int error_ = 0;
};

}  // namespace korv::platform
