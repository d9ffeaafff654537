#include "tools/simulator/simulator.h"

namespace korv::tools {
PtyLink::~PtyLink() = default;

bool PtyLink::Create(int, std::string& error) {
    error = "Windows has no pseudo-terminal to offer as a port: give --read N, the COM port at the other "
            "end of a virtual COM pair or of a null-modem cable";
    return false;
}

int PtyLink::Read(std::uint8_t*, int, int) { return -1; }
}  // namespace korv::tools
