#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/system_error.h"

namespace korv::platform {
// Why a record file did not open (pole/failure_words.h words it).
enum class RecordFailure {
    kNone,
    kMissing,       // nothing has the name (kRead, which creates nothing)
    kFolder,
    kNoAccess,      // this user may not read it (kWrite: read and write it)
    kCannotCreate,  // nothing has the name, and the folder does not let this user create it
    kDanglingLink,  // a link that leads nowhere; nothing is created through it
    kNotOrdinary,   // kWrite: a device or a FIFO has the name
    kOther,         // the system's error says what
};
using RecordOpenFailure = Failure<RecordFailure>;

// The pole record file: polled by korvpole, read or written in place by the tools as a
// till does. A link to an existing file is used like the file; a missing file is created
// under its own name only, never through a link.
class RecordFile {
public:
    enum class Mode {
        // korvpole: read only, created empty when missing (an ordinary file the writer can
        // open), shared with the writer, who may rewrite it but (Windows) not delete or rename it.
        kPoll,
        kRead,   // an existing file, read only, shared both ways
        kWrite,  // an ordinary file read and written in place, never truncated, created when missing
    };

    RecordFile() = default;
    ~RecordFile() { Close(); }
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    RecordOpenFailure Open(const std::string& name, Mode mode);
    // A failure on closing is a late write error.
    std::error_code Close();

    std::error_code Seek(std::int64_t offset);
    // `count` is 0 at the end of the file.
    std::error_code Read(void* buffer, int size, int& count);
    // All `size` bytes, the file growing as needed.
    std::error_code WriteAt(const void* bytes, std::size_t size, std::size_t offset);
    std::error_code Size(std::int64_t& size);

    // When the name now leads to another ordinary file (the writer renamed a new one over
    // it, or deleted and rewrote it), holds that one and says true; else changes nothing.
    bool FollowName();

private:
    std::string name_;
    std::intptr_t handle_ = -1;  // a descriptor, or a Windows handle
};
}  // namespace korv::platform
