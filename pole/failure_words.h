#pragma once

#include <string>

#include "platform/port_facts.h"
#include "platform/record_file.h"
#include "platform/serial_device.h"
#include "platform/settings_file.h"

// What korvpole says when something fails, in a technician's words. korvpole-check
// and korvpole-post say the same causes, with their own advice.
namespace korv {
// "COM5 (/dev/ttyS4)", "COM5 (link to /dev/pts/3)", "COM5 (\\.\COM5)"; for port 0 the
// device's own name: "/dev/ttyUSB0".
std::string PortName(int port, const platform::PortFacts& facts);
// Why the port did not open: "there is no COM5 (\\.\COM5)", "COM5 (...) is held by
// another program, a running korvpole included", ...
std::string PortCause(int port, const platform::PortOpenFailure& failure, const platform::PortFacts& facts);

// korvpole's line for a display whose port did not open: "COM5 cannot be opened: there
// is no COM5 (\\.\COM5). The display stays dark; ...\n".
std::string DarkDisplayLine(int port, const platform::PortOpenFailure& failure, const platform::PortFacts& facts);
// korvpole's line once the display is reached after such a line.
std::string DisplayReachedLine(int port);

// Why the record file at `path`, opened for `mode`, failed: "POLE.DAT is a folder, not a
// record file", "this user may not read POLE.DAT", "POLE.DAT: <the system's words>".
std::string RecordFailureWords(const std::string& path, platform::RecordFile::Mode mode,
                               const platform::RecordOpenFailure& failure);

// Why KORVPOLE.CFG was not saved: "it is read-only", "the disk is full", ...
const char* SaveFailureCause(platform::SaveFailure failure);

inline constexpr const char* kFileOpenError = "File open error detected: POLE.DAT\nPress any key to exit\n";
inline constexpr const char* kInputEndedNote = "Input ended before both answers were given: nothing was saved.\n";
inline constexpr const char* kNoSettingsNote =
    "There is no KORVPOLE.CFG in this folder and setup got no answers, so korvpole ends: "
    "run korvpole once in this folder at a console to set it up, or copy a KORVPOLE.CFG here.\n";
}  // namespace korv
