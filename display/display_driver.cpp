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
    if (failure) return failure;
    rows_ = geometry.rows;
    columns_ = geometry.columns;
    protocol_ = &ProtocolOf(geometry.kind);
    Send(protocol_->bring_up);
    if (geometry.backlight_on) SetBacklight(true);
    Clear();
    return {};
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
        const int size = CodeTableCommand(*protocol_, *wanted_.text, select);
        if (size > 0) Send({select, size});
    }
    Send(protocol_->clear);
    const std::string blank(static_cast<std::size_t>(columns_), ' ');
    letters_.assign(kDrawnRows, blank);
    sent_.assign(kDrawnRows, blank);
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
    if (wanted_.text && protocol_->letter_form == LetterForm::kCharacterRom)
        return WriteLetters(text, column, row, position, position_size);
    channel_.Send(position, position_size);
    if (text == nullptr) return;

    int length = FittingLength(static_cast<int>(std::strlen(text)), column, columns_);
    if (length > kMaxTextBytes) length = kMaxTextBytes;
    if (length <= 0) return;

    const bool convert = wanted_.text && protocol_->letter_form == LetterForm::kOwnTable;
    std::uint8_t bytes[kMaxTextBytes];
    for (int i = 0; i < length; ++i) {
        std::uint8_t byte = static_cast<std::uint8_t>(text[i]);
        if (convert) byte = charset::TableByte(*wanted_.text, *protocol_->start_table, byte);
        bytes[i] = ShownByte(byte, *protocol_);
    }
    channel_.Send(bytes, length);
}

// The user-defined characters are planned over the whole screen, so that a letter
// already shown keeps its character. New patterns go first, while the cursor is not
// needed; a row whose bytes changed because a character was freed for a letter shown
// plain so far is sent again where it changed.
void DisplayDriver::WriteLetters(const char* text, int column, int row, const std::uint8_t* position,
                                 int position_size) {
    // No text fits there, as without a code page; and the row's picture has no such place.
    if (column < 1 || column > columns_) {
        channel_.Send(position, position_size);
        return;
    }
    const std::size_t index = static_cast<std::size_t>(std::clamp(row, 1, kDrawnRows) - 1);
    std::vector<std::string> letters = letters_;
    int length = 0;
    if (text != nullptr) {
        length = std::min(FittingLength(static_cast<int>(std::strlen(text)), column, columns_), kMaxTextBytes);
        letters[index].replace(static_cast<std::size_t>(column - 1), static_cast<std::size_t>(length), text,
                               static_cast<std::size_t>(length));
    }
    const charset::ScreenPlan plan = charset::PlanScreen(*wanted_.text, wanted_.rom, letters, loaded_);

    for (int slot = 0; slot < lcd::kUserCharacters; ++slot) {
        if (!plan.load[static_cast<std::size_t>(slot)]) continue;
        const charset::GlyphPattern pattern = *charset::PatternOf(plan.characters[static_cast<std::size_t>(slot)]);
        std::uint8_t load[2 + std::tuple_size<charset::GlyphPattern>::value] = {
            lcd::kCommandPrefix, static_cast<std::uint8_t>(lcd::kSetCgramAddress + slot * static_cast<int>(pattern.size()))};
        std::copy(pattern.begin(), pattern.end(), load + 2);
        channel_.Send(load, static_cast<int>(sizeof load));
    }
    channel_.Send(position, position_size);
    std::string& written = sent_[index];
    if (length > 0) {
        const std::string part = plan.rows[index].substr(static_cast<std::size_t>(column - 1),
                                                         static_cast<std::size_t>(length));
        channel_.Send(reinterpret_cast<const std::uint8_t*>(part.data()), length);
        written.replace(static_cast<std::size_t>(column - 1), part.size(), part);
    }
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
