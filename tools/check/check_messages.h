#pragma once

#include <string>

#include "platform/port_facts.h"
#include "platform/serial_device.h"

namespace korv::tools {

// "COM5 (/dev/ttyS4)", "COM5 (link to /dev/pts/3)", "COM5 (\\.\COM5)".
std::string PortName(int port, const platform::PortFacts& facts);

// Why the port did not open and what to do about it, in a technician's words.
// `system_words` is the system's own message for the error `code`.
std::string OpenFailureAdvice(int port, platform::OpenFailure failure, int code,
                              const std::string& system_words, const platform::PortFacts& facts);

}  // namespace korv::tools
