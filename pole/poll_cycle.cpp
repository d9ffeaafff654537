#include "pole/poll_cycle.h"

#include <cstdio>
#include <cstring>

#include "display/display_driver.h"
#include "platform/clock.h"
#include "platform/record_file.h"

namespace korv {

namespace {

enum class FieldRead { kOk, kEnded, kSeekFailed };

// A short read keeps the rest of the buffer from the previous read; an error keeps all.
FieldRead ReadField(platform::RecordFile& file, CycleState& state, int offset, std::uint8_t* buffer,
                    int size) {
    state.seek_error = file.Seek(offset);
    if (state.seek_error) return FieldRead::kSeekFailed;
    int count = 0;
    const std::error_code read_error = file.Read(buffer, size, count);
    return !read_error && count == 0 ? FieldRead::kEnded : FieldRead::kOk;
}

CycleOutcome Stop(FieldRead read) {
    return read == FieldRead::kSeekFailed ? CycleOutcome::kSeekFailed : CycleOutcome::kEndedEarly;
}

constexpr int kCyclePauseMs = 250;

// Room for any width a display row may have, plus the terminator.
constexpr int kFieldBufferSize = 64;
constexpr int kAmountBufferSize = 32;

// The display itself; the driver has no base class of its own. A row the display has
// no room for is not sent at all.
class DisplayCanvas final : public RowCanvas {
public:
    explicit DisplayCanvas(DisplayDriver& display) : display_(display) {}
    void Clear() override { display_.Clear(); }
    void WriteText(const char* text, int column, int row) override {
        const int shown = display_.DisplayRowOf(row);
        if (shown > 0) display_.WriteText(text, column, shown);
    }
    int Columns() const override { return display_.Columns(); }

private:
    DisplayDriver& display_;
};

void DrawAmount(RowCanvas& display, const std::uint8_t* raw_bytes, std::uint16_t scale,
                int caption_length, int row) {
    char amount[kAmountBufferSize];
    const int length = FormatAmount(DecodeLe32(raw_bytes), scale, amount, sizeof amount);

    int width = display.Columns() - caption_length;
    if (width > kFieldBufferSize - 1) width = kFieldBufferSize - 1;
    if (width <= 0) return;
    char field[kFieldBufferSize];
    FillAmountField(amount, length, width, field);
    display.WriteText(field, caption_length + 1, row);
}

}  // namespace

int FormatAmount(std::int32_t raw, std::uint16_t scale, char* out, std::size_t out_size) {
    const double value = (static_cast<double>(raw) / 100.0) * static_cast<double>(scale);
    return std::snprintf(out, out_size, scale == 100 ? "%.0f" : "%.2f", value);
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

CycleOutcome DrawRecord(platform::RecordFile& file, CycleState& state, RowCanvas& display) {
    FieldRead read = ReadField(file, state, record::kCounterOffset, state.counter, 2);
    if (read != FieldRead::kOk) return Stop(read);

    const std::int32_t counter = DecodeLe16(state.counter);
    if (counter != state.last_seen_counter || state.repaint_lines) {
        display.Clear();
        state.last_seen_counter = counter;
        state.repaint_lines = false;
        state.lines_drawn = true;

        read = ReadField(file, state, record::kLine1Offset, state.line1, record::kLineSize);
        if (read != FieldRead::kOk) return Stop(read);
        state.line1[record::kLineSize] = 0;
        display.WriteText(reinterpret_cast<const char*>(state.line1), 1, 1);

        read = ReadField(file, state, record::kLine2Offset, state.line2, record::kLineSize);
        if (read != FieldRead::kOk) return Stop(read);
        state.line2[record::kLineSize] = 0;
        display.WriteText(reinterpret_cast<const char*>(state.line2), 1, 2);
    }

    read = ReadField(file, state, record::kScaleOffset, state.scale, 2);
    if (read != FieldRead::kOk) return Stop(read);
    const std::uint16_t scale = DecodeLe16(state.scale);

    const int tax_caption_length = static_cast<int>(std::strlen(kTaxCaption));
    display.WriteText(kTaxCaption, 1, 3);
    read = ReadField(file, state, record::kTaxOffset, state.tax, 4);
    if (read != FieldRead::kOk) return Stop(read);
    DrawAmount(display, state.tax, scale, tax_caption_length, 3);

    const int total_caption_length = static_cast<int>(std::strlen(kTotalCaption));
    read = ReadField(file, state, record::kTotalOffset, state.total, 4);
    if (read != FieldRead::kOk) return Stop(read);
    display.WriteText(kTotalCaption, 1, 4);
    DrawAmount(display, state.total, scale, total_caption_length, 4);
    return CycleOutcome::kCompleted;
}

CycleOutcome RunPollCycle(platform::RecordFile& file, CycleState& state,
                          DisplayDriver& display) {
    DisplayCanvas canvas(display);
    const CycleOutcome outcome = DrawRecord(file, state, canvas);
    if (outcome == CycleOutcome::kCompleted) platform::SleepMilliseconds(kCyclePauseMs);
    return outcome;
}

}  // namespace korv
