#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/port_facts.h"
#include "platform/serial_device.h"
#include "tools/check/port_list.h"

namespace korv { class DisplayDriver; }

// What korvpole-check says: korvpole's causes, each with what to do about it.
namespace korv::tools {
// "korvpole-check: FAIL: " and `why`, as a line on `err`.
void Fail(std::ostream& err, const std::string& why);

// What is wrong and what to do: "there is no COM5 (\\.\COM5): check the port number ...".
std::string OpenFailureAdvice(int port, const platform::PortOpenFailure& failure, const platform::PortFacts& facts);

// What gives this user a group that may open a port.
std::string JoinGroupAdvice(const std::string& group);

// What takes USB serial adapters away before korvpole gets them, each with its fix.
std::vector<std::string> TakerAdvice(const std::vector<ListedPort>& ports, const PortTakers& takers);

// After the pattern went out on `port_name`: FAIL when the port went away or did not take
// every byte; else OK, with what the display showed (`shown`), shows now (`kept`, lit)
// and what korvpole's amount rows will say (`rows`). True for OK.
bool Verdict(const DisplayDriver& display, const std::string& port_name, const std::string& shown, bool kept,
             bool backlight_on, const std::string& rows, std::ostream& out, std::ostream& err);
}  // namespace korv::tools
