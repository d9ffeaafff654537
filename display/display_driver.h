#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "display/code_page_to_display.h"
#include "display/display_geometry.h"
#include "display/display_kinds.h"
#include "display/serial_channel.h"

namespace korv {
// The pole display behind its COM port, spoken to in the command set of its kind.
// Operations on a closed display send nothing; sending never reports a failure. Each
// command goes out whole under the display lock, which a command inside another takes
// again.
class DisplayDriver {
public:
    // Why the display is not open afterwards; none when it is, brought up and cleared.
    platform::PortOpenFailure Open(DisplayGeometry geometry);
    // As Open, but every byte from here on is appended to `bytes`: what the display
    // would be sent, for a preview read back through its model.
    void OpenInto(std::string& bytes, DisplayGeometry geometry);
    void Close();
    // Also gives back what a display whose supply was cycled behind an open port has lost,
    // unknown to korvpole: its code table at once, its user-defined characters with the
    // next text. The poll cycle clears at every sale, so such a display heals then.
    void Clear();
    // column and row are 1-based; text may be null. Text past the last column is cut.
    // A place that kind of display cannot name gets nothing. With a code page, each
    // letter goes out as the display's own character for it.
    void WriteText(const char* text, int column, int row);
    // Text where the cursor stands, without placing it: after an open or a clear, the
    // start of row 1 on a display of the kind it was opened as.
    void WriteHere(const char* text);
    void SetBacklight(bool on);
    void ToggleBacklight() { SetBacklight(!backlight_on_); }
    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    const DisplayProtocol& Protocol() const { return *protocol_; }
    // The display row that shows row `drawn_row` (1 to 4) of what korvpole draws; 0 when
    // the display has no room for it.
    int DisplayRowOf(int drawn_row) const;
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
