#include "pole/failure_words.h"

#include "platform/com_name.h"
#include "pole/record_format.h"

namespace korv {
using namespace platform;

namespace {
// A port given by its device's name (port 0) goes by that name.
std::string Named(int port, const PortFacts& facts) { return port >= 1 ? ComName(port) : facts.device; }
}  // namespace

std::string PortName(int port, const PortFacts& facts) {
    if (!facts.leads_to.empty()) return Named(port, facts) + " (link to " + facts.leads_to + ")";
    return port >= 1 ? ComName(port) + " (" + facts.device + ")" : facts.device;
}

std::string PortCause(int port, const PortOpenFailure& failure, const PortFacts& facts) {
    switch (failure.cause) {
        case OpenFailure::kNoPortNumber: return "no COM port is configured (port " + std::to_string(port) + ")";
        case OpenFailure::kNoDevice:
            if (!facts.leads_to.empty())
                return Named(port, facts) + " links to " + facts.leads_to + ", which does not exist";
            return "there is no " + PortName(port, facts);
        case OpenFailure::kBusy:
            return PortName(port, facts) + " is held by another program, a running korvpole included";
        case OpenFailure::kPermission:
            if (facts.group.empty()) return "access to " + PortName(port, facts) + " was refused";
            if (facts.member_of_group)
                return "you may not open " + PortName(port, facts) + " although you are in its group '" +
                       facts.group + "'";
            return "you may not open " + PortName(port, facts) + ": only members of the group '" + facts.group +
                   "' may";
        case OpenFailure::kNotSerial: return PortName(port, facts) + " is not a serial device";
        case OpenFailure::kNone:
        case OpenFailure::kOther:
            break;
    }
    return failure.error.message() + " (error " + std::to_string(failure.error.value()) + ")";
}

std::string DarkDisplayLine(int port, const PortOpenFailure& failure, const PortFacts& facts) {
    const std::string cause = PortCause(port, failure, facts);
    if (failure.cause == OpenFailure::kNoPortNumber)
        return "The display stays dark: " + cause + "; press S to enter its port number.\n";
    return ComName(port) + " cannot be opened: " + cause + ". The display stays dark; korvpole tries again every second.\n";
}

std::string DisplayReachedLine(int port) {
    return ComName(port) + " is open: the display shows " + kPoleRecordFileName + " again.\n";
}

std::string RecordFailureWords(const std::string& path, RecordFile::Mode mode, const RecordOpenFailure& failure) {
    switch (failure.cause) {
        case RecordFailure::kMissing: return path + " does not exist; korvpole creates it empty and shows nothing";
        case RecordFailure::kFolder: return path + " is a folder, not a record file";
        case RecordFailure::kNoAccess:
            return std::string("this user may not ") + (mode == RecordFile::Mode::kWrite ? "write " : "read ") + path;
        case RecordFailure::kCannotCreate: return "the folder does not let this user create " + path;
        case RecordFailure::kDanglingLink:
            return path + " is a link that leads nowhere; no file is created through it: point it at the record "
                          "file, or remove it";
        case RecordFailure::kNotOrdinary: return path + " is not an ordinary file (a device or a FIFO has the name)";
        case RecordFailure::kNone:
        case RecordFailure::kOther:
            break;
    }
    return path + ": " + failure.error.message();
}

const char* SaveFailureCause(SaveFailure failure) {
    switch (failure) {
        case SaveFailure::kReadOnly: return "it is read-only";
        case SaveFailure::kFolderByThatName: return "a folder has that name";
        case SaveFailure::kDiskFull: return "the disk is full";
        case SaveFailure::kHeldByAnotherProgram: return "another program holds it";
        case SaveFailure::kFolderRefuses: return "the folder does not allow it";
        default: return "it could not be written";
    }
}
}  // namespace korv
