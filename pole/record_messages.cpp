#include "pole/record_messages.h"

namespace korv {

std::string RecordFailureWords(const std::string& path, platform::RecordFile::Mode mode,
                               const platform::RecordOpenFailure& failure) {
    using platform::RecordFailure;
    switch (failure.cause) {
        case RecordFailure::kMissing:
            return path + " does not exist; korvpole creates it empty and shows nothing";
        case RecordFailure::kFolder:
            return path + " is a folder, not a record file";
        case RecordFailure::kNoAccess:
            return std::string("this user may not ") +
                   (mode == platform::RecordFile::Mode::kWrite ? "write " : "read ") + path;
        case RecordFailure::kCannotCreate:
            return "the folder does not let this user create " + path;
        case RecordFailure::kDanglingLink:
            return path + " is a link that leads nowhere; no file is created through it: point "
                          "it at the record file, or remove it";
        case RecordFailure::kNotOrdinary:
            return path + " is not an ordinary file (a device or a FIFO has the name)";
        case RecordFailure::kNone:
        case RecordFailure::kOther:
            break;
    }
    return path + ": " + failure.error.message();
}

}  // namespace korv
