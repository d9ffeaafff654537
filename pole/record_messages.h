#pragma once

#include <string>

#include "platform/record_file.h"

namespace korv {

// Why the record file at `path`, opened for `mode`, did not open, in a technician's
// words, alike wherever it is said: korvpole beside its file-open message,
// korvpole-check in its report, korvpole-post when it shows or writes the file.
// "POLE.DAT is a folder, not a record file", "this user may not read POLE.DAT", ...
std::string RecordFailureWords(const std::string& path, platform::RecordFile::Mode mode,
                               const platform::RecordOpenFailure& failure);

}  // namespace korv
