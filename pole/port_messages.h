#pragma once

#include <string>

#include "platform/port_facts.h"
#include "platform/serial_device.h"

// Why the display's port does not open, in a technician's words: korvpole says the
// cause on its console, korvpole-check says it with what to do about it.
namespace korv {

// "COM5 (/dev/ttyS4)", "COM5 (link to /dev/pts/3)", "COM5 (\\.\COM5)".
std::string PortName(int port, const platform::PortFacts& facts);

// What is wrong and what to do about it, as korvpole-check's verdict: "there is no
// COM5 (\\.\COM5): check the port number ...".
std::string OpenFailureAdvice(int port, const platform::PortOpenFailure& failure,
                              const platform::PortFacts& facts);

// korvpole's line for a display whose port did not open, with the same cause: "COM5
// cannot be opened: there is no COM5 (\\.\COM5). The display stays dark; ...\n".
std::string DarkDisplayLine(int port, const platform::PortOpenFailure& failure,
                            const platform::PortFacts& facts);

// What gives this user a group that may open a port: "sudo usermod -aG dialout $USER,
// then log out and in again".
std::string JoinGroupAdvice(const std::string& group);

// korvpole's line once the display is reached after such a line.
std::string DisplayReachedLine(int port);

}  // namespace korv
