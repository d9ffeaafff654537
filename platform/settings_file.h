#pragma once

#include <cstddef>
#include <string>

#include "platform/system_error.h"

namespace korv::platform {

// Why a save failed, in the words a technician would use.
enum class SaveFailure {
    kNone,
    kReadOnly,          // the file, or the disk it is on
    kFolderByThatName,
    kDiskFull,
    kHeldByAnotherProgram,
    kFolderRefuses,     // no new file may be made there, and no writing in place either
    kNotWritten,        // any other failure
};
using SaveFileFailure = Failure<SaveFailure>;

// Saves exactly `size` bytes as the file `name`, all or nothing. The bytes go to a new
// file in the same folder, flushed to the disk, which then takes the name's place and
// keeps the old file's mode (on Windows, its attributes): a link by that name is itself
// replaced, and a hard link's other names keep the old contents. Where no new file can
// be made in the folder, or (on Windows) another program holding the file open keeps it
// from being replaced, the bytes are written over the existing file in place instead:
// only an ordinary file with no other name and at least `size` bytes, so that the
// write never grows it, never through a link, and without cutting it short first.
// An existing file this user may not write is refused, as is a folder by that name.
// On failure the old file stays byte for byte and no temporary file remains.
SaveFileFailure SaveFileContents(const char* name, const void* bytes, std::size_t size);

// Why a settings file was not read.
enum class ReadFailure {
    kNone,
    kMissing,
    kDanglingLink,  // a link by that name leads nowhere
    kNotOrdinary,  // a folder, a FIFO or a device has the name
    kNotRead,      // any other failure
};
using ReadFileFailure = Failure<ReadFailure>;

// At most `limit` bytes from the start of the file `name`, through a link too. Only an
// ordinary file is opened: a FIFO by that name would hold the reader up for good, and
// opening a device can raise its lines.
ReadFileFailure ReadSettingsFile(const char* name, std::size_t limit, std::string& bytes);

}  // namespace korv::platform
