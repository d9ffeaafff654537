#include "display/display_driver.h"

#include <algorithm>
#include <cstring>

#include "display/lcd_bytes.h"
#include "display/row_text.h"

namespace korv {

namespace {
constexpr int kMaxTextBytes = 256;
}

platform::PortOpenFailure DisplayDriver::Open(DisplayGeometry geometry) {
    wanted_ = geometry;
    channel_.Close();
    const platform::PortOpenFailure failure = channel_.Open(geometry.port, geometry.baud);
    // A display whose channel did not open is closed, whatever it was before.
    open_ = !failure;
    if (!failure) BringUp(geometry);
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

// A display whose own supply was cycled while its port stayed open is back at its
// power-on code table with empty user-defined characters, and nothing tells korvpole.
// The poll cycle clears at every counter change, so the code table goes again here and
// the characters are loaded again with the next text: the display heals at the next
// sale, as its rows do.
void DisplayDriver::Clear() {
    if (!open_) return;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (wanted_.text) {
        std::uint8_t select[kMaxCodeTableBytes];
        const int size = CodeTableCommand(*protocol_, wanted_.table, select);
        if (size > 0) Send({select, size});
    }
    Send(protocol_->clear);
    letters_.assign(kDrawnRows, std::u32string(static_cast<std::size_t>(columns_), U' '));
    sent_.assign(kDrawnRows, std::string(static_cast<std::size_t>(columns_), ' '));
    loaded_ = {};
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
    return korv::DisplayRowOf(drawn_row, rows_, wanted_.shown_rows);
}

void DisplayDriver::WriteText(const char* text, int column, int row) {
    if (!open_) return;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    std::uint8_t position[kMaxCursorBytes];
    const int position_size = CursorCommand(*protocol_, column, row, rows_, columns_, position);
    if (position_size == 0) return;
    const std::string_view whole = text == nullptr ? "" : text;
    if (!wanted_.text) {
        channel_.Send(position, position_size);
        const int length = std::min(FittingLength(static_cast<int>(whole.size()), column, columns_), kMaxTextBytes);
        std::uint8_t bytes[kMaxTextBytes];
        for (int i = 0; i < length; ++i) bytes[i] = ShownByte(static_cast<std::uint8_t>(whole[i]), *protocol_);
        channel_.Send(bytes, length);
        return;
    }
    std::u32string letters = charset::LettersOf(*wanted_.text, whole);
    letters.resize(static_cast<std::size_t>(FittingLength(static_cast<int>(letters.size()), column, columns_)));
    if (protocol_->letter_form == LetterForm::kCharacterRom)
        return WriteLetters(letters, column, row, position, position_size);
    channel_.Send(position, position_size);
    std::string bytes;
    for (const char32_t letter : letters)
        bytes += static_cast<char>(ShownByte(charset::TableByte(wanted_.table, letter), *protocol_));
    channel_.Send(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
}

void DisplayDriver::WriteHere(const char* text) {
    for (const char* c = text; *c != '\0'; ++c) {
        const std::uint8_t byte = ShownByte(static_cast<std::uint8_t>(*c), *protocol_);
        Send({&byte, 1});
    }
}

// The user-defined characters are planned over the whole screen, so that a letter
// already shown keeps its character. New patterns go first, while the cursor is not
// needed; a row whose bytes changed because a character was freed for a letter shown
// plain so far is sent again where it changed.
void DisplayDriver::WriteLetters(const std::u32string& text, int column, int row, const std::uint8_t* position,
                                 int position_size) {
    // No text fits there, as without a code page; and the row's picture has no such place.
    if (column < 1 || column > columns_) {
        channel_.Send(position, position_size);
        return;
    }
    const std::size_t index = static_cast<std::size_t>(std::clamp(row, 1, kDrawnRows) - 1);
    const std::size_t from = static_cast<std::size_t>(column - 1);
    std::vector<std::u32string> letters = letters_;
    letters[index].replace(from, text.size(), text);
    const charset::ScreenPlan plan = charset::PlanScreen(wanted_.rom, letters, loaded_);

    for (int slot = 0; slot < lcd::kUserCharacters; ++slot) {
        if (!plan.load[static_cast<std::size_t>(slot)]) continue;
        const charset::GlyphPattern pattern = *charset::PatternOf(plan.characters[static_cast<std::size_t>(slot)]);
        std::uint8_t load[2 + std::tuple_size<charset::GlyphPattern>::value] = {
            lcd::kCommandPrefix, static_cast<std::uint8_t>(lcd::kSetCgramAddress + slot * static_cast<int>(pattern.size()))};
        std::copy(pattern.begin(), pattern.end(), load + 2);
        channel_.Send(load, static_cast<int>(sizeof load));
    }
    channel_.Send(position, position_size);
    const std::string part = plan.rows[index].substr(from, text.size());
    channel_.Send(reinterpret_cast<const std::uint8_t*>(part.data()), static_cast<int>(part.size()));
    sent_[index].replace(from, part.size(), part);
    for (std::size_t r = 0; r < plan.rows.size(); ++r) {
        const std::string& now = plan.rows[r];
        const std::string& before = sent_[r];
        std::size_t first = 0;
        while (first < now.size() && now[first] == before[first]) ++first;
        if (first == now.size()) continue;
        std::size_t end = now.size();
        while (now[end - 1] == before[end - 1]) --end;
        SendRow(static_cast<int>(r), static_cast<int>(first) + 1, now.substr(first, end - first));
    }
    letters_ = letters;
    sent_ = plan.rows;
    loaded_ = plan.characters;
}

void DisplayDriver::SendRow(int index, int column, const std::string& bytes) {
    std::uint8_t position[kMaxCursorBytes];
    const int position_size = CursorCommand(*protocol_, column, index + 1, rows_, columns_, position);
    if (position_size == 0) return;
    channel_.Send(position, position_size);
    channel_.Send(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
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

platform::PortOpenFailure DisplayDriver::Reconnect() {
    DisplayGeometry geometry = wanted_;
    geometry.backlight_on = false;
    const bool backlight = backlight_on_;
    if (const platform::PortOpenFailure failure = Open(geometry)) return failure;
    SetBacklight(backlight);
    Clear();
    return {};
}

}  // namespace korv
