#pragma once

#include <string>
#include <vector>

#include "tools/post/post_record.h"

namespace korv::tools {

// One sale as a customer would watch it: a welcome, the items with running totals,
// the tax, the total due and a thank-you.
std::vector<RecordUpdate> DemoSaleSteps();

// Writes the steps to `path`, `step_ms` apart, once or until the process is ended.
// Prints a line per step unless `quiet`. Returns the exit status: 0, or 1 when the
// record cannot be written.
int PlayDemo(const std::string& path, int step_ms, bool loop, bool quiet);

}  // namespace korv::tools
