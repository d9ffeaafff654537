#pragma once

#include <ostream>

namespace korv {
class DisplayDriver;
}

namespace korv::tools {

// The display's own characters from A0 to FF, a page at a time: row 1 is a ruler of the
// last hex digit, each row below holds 16 characters behind the code of the first, so
// that the character under ruler digit 5 in row "E0" is code E5; 48 to a page on four
// rows, 16 on two. On an open display: each page for `step_ms`, told on `out`, then a
// cleared display
// unless `keep` (the last page stays up).
void ShowCharset(DisplayDriver& display, int step_ms, bool keep, std::ostream& out);

}  // namespace korv::tools
