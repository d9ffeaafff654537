#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korv::platform {

// The pole record file, for korvpole, which polls it, and for the tools, which read it
// or write it in place the way a till does. A link to an existing file is used like
// the file; a missing file is created only under its own name, never through a link,
// so a link leading nowhere is a file that cannot be opened.
class RecordFile {
public:
    enum class Mode {
        // korvpole: read only, binary, created empty when missing (an ordinary file its
        // writer can open), shared with the writer, which may rewrite it at any moment;
        // on Windows not shared for deleting or renaming it.
        kPoll,
        // An existing file, read only and shared both ways; a missing one is not created.
        kRead,
        // Read and written in place, never truncated, created when missing; only an
        // ordinary file is taken.
        kWrite,
    };

    RecordFile() = default;
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    bool Open(const std::string& name, Mode mode);
    // False when the system reports a failure on closing, as a late write error.
    bool Close();

    // The new position, or -1 when the position cannot be moved.
    std::int64_t Seek(std::int64_t offset);
    // Bytes delivered at the position, 0 at the end of the file, -1 on error.
    int Read(void* buffer, int size);
    // Writes all `size` bytes at `offset`, the file growing as needed.
    bool WriteAt(const void* bytes, std::size_t size, std::size_t offset);
    // The file's length in bytes, or -1.
    std::int64_t Size();

    // When the name the file was opened by now leads to another ordinary file (the
    // writer saved by renaming a new file over it, or deleted and wrote it again),
    // holds that file instead and says true. A name that leads nowhere, or to no
    // ordinary file, changes nothing, and nothing is created.
    bool FollowName();

    // The last failure was "no such file".
    bool Missing() const;
    // The last failure was a create refused because something, such as a link that
    // leads nowhere, already has the name.
    bool NameTaken() const;
    // The last failure in the system's words; empty when there was none.
    std::string LastError() const;

private:
    bool Fail();

    std::string name_;
    std::intptr_t handle_ = -1;  // a descriptor, or a Windows handle
    int error_ = 0;
};

}  // namespace korv::platform
