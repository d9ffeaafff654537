#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/system_error.h"

namespace korv::platform {

// Why a record file did not open, in terms a technician can act on
// (pole/failure_words.h words them).
enum class RecordFailure {
    kNone,
    kMissing,       // nothing has the name (kRead, which creates nothing)
    kFolder,        // a folder has the name
    kNoAccess,      // this user may not read it (kWrite: read and write it)
    kCannotCreate,  // nothing has the name, and the folder does not let this user create it
    kDanglingLink,  // the name is a link that leads nowhere; nothing is created through it
    kNotOrdinary,   // kWrite: something else has the name, a device or a FIFO
    kOther,         // anything else: the system's error says what
};
using RecordOpenFailure = Failure<RecordFailure>;

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

    RecordOpenFailure Open(const std::string& name, Mode mode);
    // A failure on closing is a late write error.
    std::error_code Close();

    std::error_code Seek(std::int64_t offset);
    // `count` gets the bytes delivered at the position, 0 at the end of the file.
    std::error_code Read(void* buffer, int size, int& count);
    // Writes all `size` bytes at `offset`, the file growing as needed.
    std::error_code WriteAt(const void* bytes, std::size_t size, std::size_t offset);
    // The file's length in bytes.
    std::error_code Size(std::int64_t& size);

    // When the name the file was opened by now leads to another ordinary file (the
    // writer saved by renaming a new file over it, or deleted and wrote it again),
    // holds that file instead and says true. A name that leads nowhere, or to no
    // ordinary file, changes nothing, and nothing is created.
    bool FollowName();

private:
    std::string name_;
    std::intptr_t handle_ = -1;  // a descriptor, or a Windows handle
};

}  // namespace korv::platform
