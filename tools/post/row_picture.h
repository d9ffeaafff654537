#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "display/display_kinds.h"
#include "display/row_text.h"
#include "pole/poll_cycle.h"

namespace korv {

// The four rows korvpole draws, as a display of the kind `protocol` shows them after the
// writes of poll cycles, by the driver's own rules: text cut at the last column, a byte
// the display would take as a command shown as a blank, the rest of a row left as it
// was. With `letters` the bytes are kept as the letters of a code page, which the
// driver sends as the display's own characters.
class RowPicture final : public RowCanvas {
public:
    static constexpr int kRows = 4;

    explicit RowPicture(const DisplayProtocol& protocol = ProtocolOf(DisplayKind::kLcd),
                        std::array<int, 2> shown_rows = kDefaultShownRows, bool letters = false);
    void Clear() override;
    void WriteText(const char* text, int column, int row) override;
    int Columns() const override;

    // Row 1 to 4, Columns() bytes; blanks where nothing was written.
    const std::string& Row(int row) const;
    // Some text was written into the row since the last clear, a caption alone too.
    bool Written(int row) const;
    // The rows of the four the display shows, top first: on a display of two rows the
    // two KORVPOLE.INI's rows = names.
    std::vector<int> ShownRows() const;

private:
    const DisplayProtocol* protocol_;
    std::array<int, 2> shown_rows_;
    bool letters_;
    std::string rows_[kRows];
    bool written_[kRows] = {};
};

}  // namespace korv
