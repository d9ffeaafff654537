#pragma once

#include <cstddef>
#include <string>

#include "platform/system_error.h"

namespace korv::platform {
// Why a save failed, in a technician's words.
enum class SaveFailure {
    kNone,
    kReadOnly,          // the file, or its disk
    kFolderByThatName,
    kDiskFull,
    kHeldByAnotherProgram,
    kFolderRefuses,     // no new file may be made there, nor the old one written in place
    kNotWritten,        // any other failure
};
using SaveFileFailure = Failure<SaveFailure>;

// Saves exactly `size` bytes as `name`, all or nothing: a flushed new file in the same
// folder, with the old one's mode (Windows: attributes), is renamed over the name, so a
// link by that name is replaced and a hard link's other names keep the old bytes. Where no
// new file can be made, or (Windows) a program holding the file blocks the rename, the
// bytes go over the old file in place, only an ordinary one with no other name, at least
// `size` bytes, no link, never cut short first. A folder, or a file this user may not write,
// is refused. On failure the old file stays byte for byte and no temporary file remains.
SaveFileFailure SaveFileContents(const char* name, const void* bytes, std::size_t size);

enum class ReadFailure {
    kNone,
    kMissing,
    kDanglingLink,  // a link by that name leads nowhere
    kNotOrdinary,   // a folder, a FIFO or a device
    kNotRead,      // any other failure
};
using ReadFileFailure = Failure<ReadFailure>;

// At most `limit` bytes from the start of `name`, through a link too. Only an ordinary
// file is opened: a FIFO would hold the reader up for good, a device may raise its lines.
ReadFileFailure ReadSettingsFile(const char* name, std::size_t limit, std::string& bytes);
}  // namespace korv::platform
