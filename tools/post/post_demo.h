#pragma once

#include <string>

namespace korv::tools {

// Writes one sale as a customer would watch it (a welcome, the items with running
// totals, the tax, the total due and a thank-you) to `path`, `step_ms` apart, once or
// until the process is ended. Prints a line per step unless `quiet`. Returns the exit
// status: 0, or 1 when the record cannot be written.
int PlayDemo(const std::string& path, int step_ms, bool loop, bool quiet);

}  // namespace korv::tools
