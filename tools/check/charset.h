#pragma once

#include "display/display_driver.h"

namespace korv::tools {
// The display's own characters from 80 to FF, a page at a time: row 1 is a ruler of the
// last hex digit, each row below holds 16 characters behind the code of the first, so
// that the character under ruler digit 5 in row "E0" is code E5. Then, on a 2x20
// display, one line per table it may hold (table =), numbered, with the same letters in
// each; on the LCD with text = in `ini_display`, the letters its ROM lacks, eight to a
// page as korvpole draws them, each over its plain stand-in. On an open display; each
// page stays `step_ms` or until a key is pressed (below 0: the pages share about 40
// seconds), told on standard output; then a cleared display unless `keep`.
void ShowCharset(DisplayDriver& display, const DisplayGeometry& ini_display, int step_ms, bool keep);
}  // namespace korv::tools
