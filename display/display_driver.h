#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "display/code_page_to_display.h"
#include "display/display_geometry.h"
#include "display/display_kinds.h"
#include "display/row_text.h"
#include "display/serial_channel.h"

namespace korv {
// The pole display behind its COM port, in its kind's command set. A closed display is
// sent nothing; sending reports no failure. Each command goes out whole under the display
// lock, which a command inside another takes again.
class DisplayDriver {
public:
    // Why the display is not open afterwards; none when it is, brought up and cleared.
    platform::PortOpenFailure Open(DisplayGeometry geometry);
    // As Open, but every byte from here on goes to `bytes`, for a preview read by a model.
    void OpenInto(std::string& bytes, DisplayGeometry geometry);
    void Close();
    // Also gives back what a display power-cycled behind the open port lost (its code
    // table now, its user-defined characters with the next text): each sale heals it.
    void Clear();
    // 1-based; text may be null, is cut at the last column; a place the kind cannot name
    // gets nothing. With a code page each letter goes as the display's own character.
    void WriteText(const char* text, int column, int row);
    // Text where the cursor stands, without placing it: after an open or a clear, the
    // start of row 1 on a display of the kind it was opened as.
    void WriteHere(const char* text);
    void SetBacklight(bool on);
    void ToggleBacklight() { SetBacklight(!backlight_on_); }
    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    const DisplayProtocol& Protocol() const { return *protocol_; }
    // The display row that shows drawn row `drawn_row` (1 to 4); 0 when it has no room.
    int DisplayRowOf(int drawn_row) const { return korv::DisplayRowOf(drawn_row, rows_, wanted_.shown_rows); }
    bool IsOpen() const { return open_; }
    bool BacklightOn() const { return backlight_on_; }
    // The port asked for by the last open, whether or not it opened.
    int WantedPort() const { return wanted_.port; }
    // The display was asked for but cannot be reached: its open failed, or its device
    // disappeared. Reconnect() opens that port again, with the backlight as it was.
    bool Unreachable() const { return wanted_.port >= 1 && (!open_ || channel_.IsLost()); }
    platform::PortOpenFailure Reconnect();
    // Bytes sent since the last successful open that the display's port did not take.
    std::uint64_t BytesNotTaken() const { return channel_.BytesNotTaken(); }

private:
    void BringUp(const DisplayGeometry& geometry);
    void Send(std::string_view bytes);
    void WriteLetters(const std::u32string& text, int column, int row, const std::string& position);

    std::recursive_mutex lock_;
    bool open_ = false;
    bool backlight_on_ = false;
    int columns_ = 0;
    int rows_ = 0;
    const DisplayProtocol* protocol_ = &ProtocolOf(DisplayKind::kLcd);
    DisplayGeometry wanted_;
    SerialChannel channel_;
    // With a code page on an HD44780 display: the letters standing on each row, the bytes
    // last sent for them, and what the user-defined characters hold.
    std::vector<std::u32string> letters_;
    std::vector<std::string> sent_;
    charset::UserCharacters loaded_{};
};
}  // namespace korv
