#include "pole/poll_cycle.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "display/display_driver.h"
#include "platform/clock.h"
#include "platform/record_file.h"

namespace korv {
namespace {
constexpr int kCyclePauseMs = 250;
// Room for any width a display row may have, plus the terminator.
constexpr int kFieldBufferSize = 64;
constexpr int kAmountBufferSize = 32;

// Writes where the display shows drawn row `row`; nowhere when it has no room for it.
void Draw(DisplayDriver& display, const char* text, int column, int row) {
    if (const int shown = display.DisplayRowOf(row)) display.WriteText(text, column, shown);
}

void DrawAmount(DisplayDriver& display, const std::uint8_t* raw_bytes, std::uint16_t scale, int caption_width,
                char decimal, int row) {
    char amount[kAmountBufferSize];
    const int length = FormatAmount(DecodeLe32(raw_bytes), scale, amount, sizeof amount, decimal);
    const int width = std::min(display.Columns() - caption_width, kFieldBufferSize - 1);
    if (width <= 0) return;
    char field[kFieldBufferSize];
    FillAmountField(amount, length, width, field);
    Draw(display, field, caption_width + 1, row);
}
}  // namespace

int FormatAmount(std::int32_t raw, std::uint16_t scale, char* out, std::size_t out_size, char decimal) {
    const double value = (static_cast<double>(raw) / 100.0) * static_cast<double>(scale);
    const int length = std::snprintf(out, out_size, scale == 100 ? "%.0f" : "%.2f", value);
    if (char* point = std::strchr(out, '.')) *point = decimal;
    return length;
}

bool AmountOverflows(int amount_length, int width) {
    return amount_length < 0 || amount_length > kMaxAmountChars || amount_length > width;
}

void FillAmountField(const char* amount, int amount_length, int width, char* out) {
    if (AmountOverflows(amount_length, width)) {
        std::memset(out, kOverflowMark, static_cast<std::size_t>(width));
    } else {
        const int padding = width - amount_length;
        std::memset(out, ' ', static_cast<std::size_t>(padding));
        std::memcpy(out + padding, amount, static_cast<std::size_t>(amount_length));
    }
    out[width] = '\0';
}

CycleOutcome DrawRecord(platform::RecordFile& file, CycleState& state, DisplayDriver& display,
                        const AmountWords& words) {
    // Reads a field; where the cycle ends instead. A short read keeps the rest of the
    // buffer from the previous read; an error keeps all.
    const auto ends_at = [&](int offset, std::uint8_t* buffer, int size) -> std::optional<CycleOutcome> {
        state.seek_error = file.Seek(offset);
        if (state.seek_error) return CycleOutcome::kSeekFailed;
        int count = 0;
        const std::error_code read_error = file.Read(buffer, size, count);
        if (!read_error && count == 0) return CycleOutcome::kEndedEarly;
        return std::nullopt;
    };
    if (const auto end = ends_at(record::kCounterOffset, state.counter, 2)) return *end;
    const std::int32_t counter = DecodeLe16(state.counter);
    if (counter != state.last_seen_counter || state.repaint_lines) {
        display.Clear();
        state.last_seen_counter = counter;
        state.repaint_lines = false;
        state.lines_drawn = true;
        if (const auto end = ends_at(record::kLine1Offset, state.line1, record::kLineSize)) return *end;
        Draw(display, reinterpret_cast<const char*>(state.line1), 1, 1);
        if (const auto end = ends_at(record::kLine2Offset, state.line2, record::kLineSize)) return *end;
        Draw(display, reinterpret_cast<const char*>(state.line2), 1, 2);
    }
    if (const auto end = ends_at(record::kScaleOffset, state.scale, 2)) return *end;
    const std::uint16_t scale = DecodeLe16(state.scale);
    Draw(display, words.tax.c_str(), 1, 3);
    if (const auto end = ends_at(record::kTaxOffset, state.tax, 4)) return *end;
    DrawAmount(display, state.tax, scale, words.tax_width, words.decimal, 3);
    if (const auto end = ends_at(record::kTotalOffset, state.total, 4)) return *end;
    Draw(display, words.total.c_str(), 1, 4);
    DrawAmount(display, state.total, scale, words.total_width, words.decimal, 4);
    return CycleOutcome::kCompleted;
}

CycleOutcome RunPollCycle(platform::RecordFile& file, CycleState& state, DisplayDriver& display,
                          const AmountWords& words) {
    const CycleOutcome outcome = DrawRecord(file, state, display, words);
    if (outcome == CycleOutcome::kCompleted) platform::SleepMilliseconds(kCyclePauseMs);
    return outcome;
}
}  // namespace korv
