#include "display/display_driver.h"

#include <algorithm>

#include "display/lcd_bytes.h"

namespace korv {
platform::PortOpenFailure DisplayDriver::Open(DisplayGeometry geometry) {
    wanted_ = geometry;
    channel_.Close();
    const platform::PortOpenFailure failure = channel_.Open(geometry.port, geometry.baud);
    open_ = !failure;  // a failed open leaves the display closed, whatever it was before
    if (open_) BringUp(geometry);
    return failure;
}

void DisplayDriver::OpenInto(std::string& bytes, DisplayGeometry geometry) {
    wanted_ = geometry;
    channel_.RecordInto(bytes);
    open_ = true;
    BringUp(geometry);
}

void DisplayDriver::BringUp(const DisplayGeometry& geometry) {
    rows_ = geometry.rows;
    columns_ = geometry.columns;
    protocol_ = &ProtocolOf(geometry.kind);
    Send(protocol_->bring_up);
    if (geometry.backlight_on) SetBacklight(true);
    Clear();
}

void DisplayDriver::Close() {
    Send(protocol_->clear);
    SetBacklight(false);
    open_ = false;
    channel_.Close();
}

void DisplayDriver::Clear() {
    if (!open_) return;
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    if (wanted_.text) Send(CodeTableCommand(*protocol_, wanted_.table));
    Send(protocol_->clear);
    letters_.assign(kDrawnRows, std::u32string(static_cast<std::size_t>(columns_), U' '));
    sent_.assign(kDrawnRows, std::string(static_cast<std::size_t>(columns_), ' '));
    loaded_ = {};
}

void DisplayDriver::SetBacklight(bool on) {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    Send(on ? protocol_->light_on : protocol_->light_off);
    backlight_on_ = on;
}

void DisplayDriver::WriteText(const char* text, int column, int row) {
    if (!open_) return;
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    const std::string position = CursorCommand(*protocol_, column, row, rows_, columns_);
    if (position.empty()) return;
    const std::string_view whole = text == nullptr ? "" : text;
    std::string bytes;
    if (!wanted_.text) {
        bytes = whole.substr(0, static_cast<std::size_t>(FittingLength(static_cast<int>(whole.size()), column, columns_)));
        for (char& byte : bytes) byte = static_cast<char>(ShownByte(static_cast<std::uint8_t>(byte), *protocol_));
    } else {
        std::u32string letters = charset::LettersOf(*wanted_.text, whole);
        letters.resize(static_cast<std::size_t>(FittingLength(static_cast<int>(letters.size()), column, columns_)));
        if (protocol_->letter_form == LetterForm::kCharacterRom) return WriteLetters(letters, column, row, position);
        for (const char32_t letter : letters)
            bytes += static_cast<char>(ShownByte(charset::TableByte(wanted_.table, letter), *protocol_));
    }
    Send(position);
    Send(bytes);
}

void DisplayDriver::WriteHere(const char* text) {
    std::string bytes = text;
    for (char& byte : bytes) byte = static_cast<char>(ShownByte(static_cast<std::uint8_t>(byte), *protocol_));
    Send(bytes);
}

// WriteText on an HD44780 with a code page, planned over the whole screen. New patterns
// go first, while the cursor is free; a row that a freed character changed goes again.
void DisplayDriver::WriteLetters(const std::u32string& text, int column, int row, const std::string& position) {
    // No text fits there, as without a code page; and the row's picture has no such place.
    if (column < 1 || column > columns_) return Send(position);
    const std::size_t index = static_cast<std::size_t>(std::clamp(row, 1, kDrawnRows) - 1);
    const std::size_t from = static_cast<std::size_t>(column - 1);
    std::vector<std::u32string> letters = letters_;
    letters[index].replace(from, text.size(), text);
    const charset::ScreenPlan plan = charset::PlanScreen(wanted_.rom, letters, loaded_);
    for (std::size_t slot = 0; slot < plan.load.size(); ++slot) {
        if (!plan.load[slot]) continue;
        const charset::GlyphPattern pattern = *charset::PatternOf(plan.characters[slot]);
        const char address = static_cast<char>(lcd::kSetCgramAddress + slot * pattern.size());
        Send(std::string{static_cast<char>(lcd::kCommandPrefix), address} + std::string(pattern.begin(), pattern.end()));
    }
    Send(position);
    const std::string part = plan.rows[index].substr(from, text.size());
    Send(part);
    sent_[index].replace(from, part.size(), part);
    for (std::size_t r = 0; r < plan.rows.size(); ++r) {
        const std::string& now = plan.rows[r];
        const std::size_t first = std::mismatch(now.begin(), now.end(), sent_[r].begin()).first - now.begin();
        if (first == now.size()) continue;
        const std::size_t end = std::mismatch(now.rbegin(), now.rend(), sent_[r].rbegin()).first.base() - now.begin();
        const int at = static_cast<int>(first) + 1;
        const std::string place = CursorCommand(*protocol_, at, static_cast<int>(r) + 1, rows_, columns_);
        if (!place.empty()) Send(place + now.substr(first, end - first));
    }
    letters_ = letters;
    sent_ = plan.rows;
    loaded_ = plan.characters;
}

void DisplayDriver::Send(std::string_view bytes) {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    if (open_) channel_.Send(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
}

platform::PortOpenFailure DisplayDriver::Reconnect() {
    const bool backlight = backlight_on_;
    wanted_.backlight_on = false;
    if (const platform::PortOpenFailure failure = Open(wanted_)) return failure;
    SetBacklight(backlight);
    Clear();
    return {};
}
}  // namespace korv
