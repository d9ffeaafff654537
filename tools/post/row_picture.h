#pragma once

#include <cstdint>
#include <string>

#include "pole/poll_cycle.h"

namespace korv {

// The four rows a 4x20 display shows after the writes of poll cycles, by the driver's
// own rules: text cut at the last column, the command prefix shown as a blank, the
// rest of a row left as it was. With `letters` the bytes are kept as the letters of a
// code page, which the driver sends as the display's own characters.
class RowPicture final : public RowCanvas {
public:
    static constexpr int kRows = 4;

    explicit RowPicture(bool letters = false);
    void Clear() override;
    void WriteText(const char* text, int column, int row) override;
    int Columns() const override;

    // Row 1 to 4, Columns() bytes; blanks where nothing was written.
    const std::string& Row(int row) const;
    // Some text was written into the row since the last clear, a caption alone too.
    bool Written(int row) const;

private:
    bool letters_;
    std::string rows_[kRows];
    bool written_[kRows] = {};
};

}  // namespace korv
