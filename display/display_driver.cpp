#include "display/display_driver.h"

#include <cstring>

#include "display/protocol.h"
#include "display/row_text.h"

namespace korv {

namespace {
constexpr int kMaxTextBytes = 256;
}

bool DisplayDriver::Open(DisplayGeometry geometry) {
    wanted_ = geometry;
    channel_.Close();
    channel_.Open(geometry.port, geometry.baud);
    // A display whose channel did not open is closed, whatever it was before.
    open_ = channel_.IsOpen();
    if (!open_) return false;
    rows_ = geometry.rows;
    columns_ = geometry.columns;
    protocol_ = &ProtocolOf(geometry.kind);
    Send(protocol_->bring_up);
    if (geometry.backlight_on) SetBacklight(true);
    Clear();
    return true;
}

bool DisplayDriver::OpenPort(int port) {
    return Open({port, protocol::kBaudRate, protocol::kRows, protocol::kColumns, false});
}

void DisplayDriver::Close() {
    Clear();
    SetBacklight(false);
    open_ = false;
    channel_.Close();
}

void DisplayDriver::Clear() {
    if (!open_) return;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    Send(protocol_->clear);
}

void DisplayDriver::SetBacklight(bool on) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    Send(on ? protocol_->light_on : protocol_->light_off);
    backlight_on_ = on;
}

void DisplayDriver::ToggleBacklight() {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    Send(backlight_on_ ? protocol_->light_off : protocol_->light_on);
    backlight_on_ = !backlight_on_;
}

int DisplayDriver::DisplayRowOf(int drawn_row) const {
    if (rows_ >= protocol::kRows) return drawn_row;
    const int shown = rows_ < 2 ? rows_ : 2;
    for (int i = 0; i < shown; ++i)
        if (wanted_.shown_rows[static_cast<std::size_t>(i)] == drawn_row) return i + 1;
    return 0;
}

void DisplayDriver::WriteText(const char* text, int column, int row) {
    if (!open_) return;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    std::uint8_t position[kMaxCursorBytes];
    const int position_size = CursorCommand(*protocol_, column, row, rows_, columns_, position);
    if (position_size == 0) return;
    channel_.Send(position, position_size);
    if (text == nullptr) return;

    int length = FittingLength(static_cast<int>(std::strlen(text)), column, columns_);
    if (length > kMaxTextBytes) length = kMaxTextBytes;
    if (length <= 0) return;

    std::uint8_t bytes[kMaxTextBytes];
    for (int i = 0; i < length; ++i)
        bytes[i] = ShownByte(static_cast<std::uint8_t>(text[i]), *protocol_);
    channel_.Send(bytes, length);
}

void DisplayDriver::Send(ByteRun run) {
    if (!open_) return;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    channel_.Send(run.bytes, run.size);
}

bool DisplayDriver::Unreachable() const {
    if (wanted_.port < 1) return false;
    return !open_ || channel_.IsLost();
}

bool DisplayDriver::Reconnect() {
    DisplayGeometry geometry = wanted_;
    geometry.backlight_on = false;
    const bool backlight = backlight_on_;
    if (!Open(geometry)) return false;
    SetBacklight(backlight);
    Clear();
    return !Unreachable();
}

}  // namespace korv
