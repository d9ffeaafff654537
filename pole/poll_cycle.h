#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

#include "pole/record_format.h"

namespace korv {
namespace platform { class RecordFile; }
class DisplayDriver;

// The words of the amount rows: each caption from column 1, in the code page of the
// text lines, `width` characters wide; the amount right-aligned behind it.
struct AmountWords {
    std::string tax = "TOTAL TAX";
    std::string total = "    TOTAL ";
    int tax_width = 9;
    int total_width = 10;
    char decimal = '.';  // between whole units and hundredths
};
inline constexpr int kMaxCaptionChars = 11;

// The amount's own text: "%.0f" for scale 100, "%.2f" otherwise, of raw / 100 * scale,
// with `decimal` for the point. Returns the length the text needs, like snprintf.
int FormatAmount(std::int32_t raw, std::uint16_t scale, char* out, std::size_t out_size, char decimal = '.');

// The longest amount text a customer is shown; longer ones get the overflow marker.
inline constexpr int kMaxAmountChars = 9;
inline constexpr char kOverflowMark = '*';

// An amount text of this length gets the overflow marker in a field `width` wide.
bool AmountOverflows(int amount_length, int width);

// Fills `width` characters: the amount right-aligned, or where it overflows the marker.
void FillAmountField(const char* amount, int amount_length, int width, char* out);

// What one poll cycle remembers for the next; lives for the whole run.
struct CycleState {
    std::int32_t last_seen_counter = 0;
    bool lines_drawn = false;    // rows 1 and 2 have been drawn from the record once
    bool repaint_lines = false;  // redraw rows 1 and 2 even without a counter change
    std::uint8_t line1[record::kLineSize + 1] = {};  // no read reaches the terminator
    std::uint8_t line2[record::kLineSize + 1] = {};
    std::uint8_t counter[2] = {};
    std::uint8_t scale[2] = {};
    std::uint8_t tax[4] = {};
    std::uint8_t total[4] = {};
    std::error_code seek_error;  // why the last cycle that ended kSeekFailed did
};

enum class CycleOutcome { kCompleted, kEndedEarly, kSeekFailed };

// RunPollCycle without the pause; a row the display has no room for is not sent at all.
CycleOutcome DrawRecord(platform::RecordFile& file, CycleState& state, DisplayDriver& display,
                        const AmountWords& words = AmountWords());

// Reads the record once and draws it; pauses 250 ms when it completes.
CycleOutcome RunPollCycle(platform::RecordFile& file, CycleState& state, DisplayDriver& display,
                          const AmountWords& words = AmountWords());
}  // namespace korv
