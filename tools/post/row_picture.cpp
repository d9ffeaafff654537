#include "tools/post/row_picture.h"

#include <algorithm>
#include <cstring>

namespace korv {

RowPicture::RowPicture(const DisplayProtocol& protocol, std::array<int, 2> shown_rows, bool letters)
    : protocol_(&protocol), shown_rows_(shown_rows), letters_(letters) {
    Clear();
}

void RowPicture::Clear() {
    for (std::string& row : rows_) row.assign(static_cast<std::size_t>(Columns()), ' ');
    for (bool& written : written_) written = false;
}

int RowPicture::Columns() const { return protocol_->columns; }

void RowPicture::WriteText(const char* text, int column, int row) {
    if (row < 1 || row > kRows || column < 1 || text == nullptr) return;
    written_[row - 1] = true;
    const int length = FittingLength(static_cast<int>(std::strlen(text)), column, Columns());
    for (int i = 0; i < length; ++i) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        const std::uint8_t shown = letters_ ? byte : ShownByte(byte, *protocol_);
        rows_[row - 1][static_cast<std::size_t>(column - 1 + i)] = static_cast<char>(shown);
    }
}

const std::string& RowPicture::Row(int row) const { return rows_[row - 1]; }

bool RowPicture::Written(int row) const { return written_[row - 1]; }

std::vector<int> RowPicture::ShownRows() const {
    std::vector<int> shown(static_cast<std::size_t>(std::min(protocol_->rows, kRows)));
    for (int row = 1; row <= kRows; ++row)
        if (const int at = DisplayRowOf(row, protocol_->rows, shown_rows_))
            shown[static_cast<std::size_t>(at - 1)] = row;
    return shown;
}

}  // namespace korv
