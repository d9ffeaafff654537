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
    for (std::uint8_t command : protocol::kInitialisation) SendCommand(command);
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
    SendCommand(protocol::kClearDisplay);
}

void DisplayDriver::SetBacklight(bool on) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    SendCommand(on ? protocol::kBacklightOn : protocol::kBacklightOff);
    backlight_on_ = on;
}

void DisplayDriver::ToggleBacklight() {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    SendCommand(backlight_on_ ? protocol::kBacklightOff : protocol::kBacklightOn);
    backlight_on_ = !backlight_on_;
}

std::uint8_t DisplayDriver::CursorAddress(int column, int row) const {
    const bool wide_four_rows = columns_ > 16 && rows_ > 2;
    const std::uint8_t* bases = wide_four_rows ? protocol::kRowBase20x4 : protocol::kRowBase16x4;
    const int row_index = row < 1 ? 0 : (row > 4 ? 3 : row - 1);
    return static_cast<std::uint8_t>(bases[row_index] + column - 1);
}

void DisplayDriver::WriteText(const char* text, int column, int row) {
    if (!open_) return;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    const std::uint8_t position[2] = {protocol::kCommandPrefix, CursorAddress(column, row)};
    channel_.Send(position, 2);
    if (text == nullptr) return;

    int length = FittingLength(static_cast<int>(std::strlen(text)), column, columns_);
    if (length > kMaxTextBytes) length = kMaxTextBytes;
    if (length <= 0) return;

    std::uint8_t bytes[kMaxTextBytes];
    for (int i = 0; i < length; ++i) bytes[i] = ShownByte(static_cast<std::uint8_t>(text[i]));
    channel_.Send(bytes, length);
}

void DisplayDriver::SendByte(std::uint8_t value) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    channel_.Send(&value, 1);
}

void DisplayDriver::SendCommand(std::uint8_t command) {
    if (!open_) return;
    SendByte(protocol::kCommandPrefix);
    if (!open_) return;
    SendByte(command);
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
