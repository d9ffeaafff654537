#pragma once

#include <optional>
#include <ostream>

#include "display/display_driver.h"

namespace korv::tools {

// The display's own characters from A0 to FF, a page at a time: row 1 is a ruler of the
// last hex digit, each row below holds 16 characters behind the code of the first, so
// that the character under ruler digit 5 in row "E0" is code E5; 48 to a page on four
// rows, 16 on two. With `letters`, a 4x20 LCD's geometry with a code page, the display
// is brought up again so and shows the letters of that code page its ROM lacks, eight
// to a page as korvpole draws them into its user-defined characters, each over the
// plain letter that stands in for it beyond eight at once. On an open display: each
// page for `step_ms`, told on `out`, then a cleared display unless `keep` (the last page
// stays up).
void ShowCharset(DisplayDriver& display, int step_ms, bool keep, std::ostream& out,
                 const std::optional<DisplayGeometry>& letters = std::nullopt);

}  // namespace korv::tools
