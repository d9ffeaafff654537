#include "tools/post/row_picture.h"

#include <cstring>
#include <algorithm>

#include "display/protocol.h"
#include "display/row_text.h"

namespace korv {

RowPicture::RowPicture(bool letters) : letters_(letters) { Clear(); }

void RowPicture::Clear() {
    for (std::string& row : rows_) row.assign(protocol::kColumns, ' ');
    for (bool& written : written_) written = false;
}

int RowPicture::Columns() const { return protocol::kColumns; }

void RowPicture::WriteText(const char* text, int column, int row) {
    if (row < 1 || row > kRows || column < 1 || text == nullptr) return;
    written_[row - 1] = true;
    const int length = FittingLength(static_cast<int>(std::strlen(text)), column, Columns());
    for (int i = 0; i < length; ++i) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        const std::uint8_t shown = letters_ ? byte : ShownByte(byte);
        rows_[row - 1][static_cast<std::size_t>(column - 1 + i)] = static_cast<char>(shown);
    }
}

const std::string& RowPicture::Row(int row) const { return rows_[row - 1]; }

bool RowPicture::Written(int row) const { return written_[row - 1]; }

}  // namespace korv
