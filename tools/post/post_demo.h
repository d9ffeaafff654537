#pragma once

#include <string>

#include "tools/post/post_record.h"

namespace korv::tools {

// Writes one sale as a customer would watch it (a welcome, the items with running
// totals, the tax, the total due and a thank-you) to `path`, `step_ms` apart, once or
// until the process is ended. Prints a line per step unless `quiet`.
WriteFailure PlayDemo(const std::string& path, int step_ms, bool loop, bool quiet);

}  // namespace korv::tools
