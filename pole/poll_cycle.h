#pragma once

#include <cstddef>
#include <cstdint>
#include <system_error>

#include "pole/record_format.h"

namespace korv {

namespace platform {
class RecordFile;
}
class DisplayDriver;

inline constexpr const char* kTaxCaption = "TOTAL TAX";
inline constexpr const char* kTotalCaption = "    TOTAL ";

// The amount's own text: "%.0f" for scale 100, "%.2f" otherwise, of raw / 100 * scale.
// Returns the length the text needs, like snprintf.
int FormatAmount(std::int32_t raw, std::uint16_t scale, char* out, std::size_t out_size);

// The longest amount text a customer is shown; longer ones get the overflow marker.
inline constexpr int kMaxAmountChars = 9;
inline constexpr char kOverflowMark = '*';

// An amount text of this length gets the overflow marker in a field `width` wide.
bool AmountOverflows(int amount_length, int width);

// Fills `width` characters: the amount right-aligned behind blanks, or, when it is
// longer than kMaxAmountChars or the field, the overflow marker across the field.
void FillAmountField(const char* amount, int amount_length, int width, char* out);

// What one poll cycle remembers for the next; lives for the whole run.
struct CycleState {
    std::int32_t last_seen_counter = 0;
    bool lines_drawn = false;    // rows 1 and 2 have been drawn from the record once
    bool repaint_lines = false;  // redraw rows 1 and 2 even without a counter change
    std::uint8_t line1[record::kLineSize + 1] = {};
    std::uint8_t line2[record::kLineSize + 1] = {};
    std::uint8_t counter[2] = {};
    std::uint8_t scale[2] = {};
    std::uint8_t tax[4] = {};
    std::uint8_t total[4] = {};
    std::error_code seek_error;  // why the last cycle that ended kSeekFailed did
};

enum class CycleOutcome { kCompleted, kEndedEarly, kSeekFailed };

// Where a cycle draws: the display, or a picture of what the display would show.
class RowCanvas {
public:
    virtual ~RowCanvas() = default;
    virtual void Clear() = 0;
    // As DisplayDriver::WriteText.
    virtual void WriteText(const char* text, int column, int row) = 0;
    virtual int Columns() const = 0;
};

// Reads the record once and draws it, without the pause.
CycleOutcome DrawRecord(platform::RecordFile& file, CycleState& state, RowCanvas& canvas);

// Reads the record once and draws it; pauses kCyclePauseMs when it completes.
CycleOutcome RunPollCycle(platform::RecordFile& file, CycleState& state,
                          DisplayDriver& display);

}  // namespace korv
