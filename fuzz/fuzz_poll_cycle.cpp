// Any pole record of up to 200 bytes, read in two cycles (the second record follows
// the first as a rewrite in place): what the display model shows stays what a customer
// may be shown. Rows keep to 20 columns, captions stay intact, amounts are their exact
// digits or the overflow marker, and no text byte ever acts as a command.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "display/display_driver.h"
#include "fuzz/fuzz_check.h"
#include "platform/fake/fake_platform.h"
#include "platform/record_file.h"
#include "pole/poll_cycle.h"
#include "sim/hd44780_model.h"

namespace {
namespace fake = korv::platform::fake;
namespace rec = korv::record;

std::uint16_t Le16(const std::string& r, int at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(r[at]) |
                                      (static_cast<std::uint8_t>(r[at + 1]) << 8));
}

std::int32_t Le32(const std::string& r, int at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(r[at + i]);
    std::int32_t result;
    std::memcpy(&result, &value, sizeof result);
    return result;
}

std::string ExpectedLine(const std::string& r, int at) {
    std::string line;
    for (int i = 0; i < rec::kLineSize && r[at + i] != '\0'; ++i)
        line += r[at + i] == '\xFE' ? ' ' : r[at + i];
    line.resize(korv::sim::Hd44780Model::kColumns, ' ');
    return line;
}

// The field right of a caption: blanks then the amount, or all '*'.
void CheckAmountField(const std::string& field, std::int32_t raw, std::uint16_t scale) {
    const double value = (static_cast<double>(raw) / 100.0) * static_cast<double>(scale);
    char exact[64];
    const int exact_length = std::snprintf(exact, sizeof exact, scale == 100 ? "%.0f" : "%.2f", value);
    if (field.find_first_not_of('*') == std::string::npos) {
        FUZZ_CHECK(exact_length > korv::kMaxAmountChars);
        return;
    }
    const std::size_t start = field.find_first_not_of(' ');
    FUZZ_CHECK(start != std::string::npos);
    const std::string shown = field.substr(start);
    FUZZ_CHECK(shown.size() <= static_cast<std::size_t>(korv::kMaxAmountChars));
    FUZZ_CHECK(shown.find(' ') == std::string::npos);
    const std::size_t point = shown.find('.');
    if (scale == 100) FUZZ_CHECK(point == std::string::npos);
    else FUZZ_CHECK(point != std::string::npos && shown.size() - point == 3);
    char* end = nullptr;
    const double parsed = std::strtod(shown.c_str(), &end);
    FUZZ_CHECK(end != nullptr && *end == '\0');
    FUZZ_CHECK(std::fabs(parsed - value) <= (scale == 100 ? 0.5 : 0.005) + 1e-9 * std::fabs(value));
}

// The record in memory is read through the platform's record file, as the program does.
void RunAndCheck(korv::platform::RecordFile& file, korv::CycleState& state,
                 korv::DisplayDriver& display, korv::sim::Hd44780Model& model) {
    const std::string& r = fake::File(korv::kPoleRecordFileName);
    const int length = static_cast<int>(r.size());
    const std::string row1_before = model.Row(1), row2_before = model.Row(2);
    const std::int32_t last_seen = state.last_seen_counter;
    const std::uint64_t clears_before = model.Clears();

    std::string& sent = fake::ComPort(5).received;
    sent.clear();
    korv::RunPollCycle(file, state, display);
    model.Feed(sent);

    FUZZ_CHECK(model.UnknownCommands() == 0);
    if (length < rec::kScaleOffset) return;
    const std::uint16_t counter = Le16(r, rec::kCounterOffset);
    if (counter != last_seen) {
        FUZZ_CHECK(model.Clears() == clears_before + 1);
        FUZZ_CHECK(model.Row(1) == ExpectedLine(r, rec::kLine1Offset));
        FUZZ_CHECK(model.Row(2) == ExpectedLine(r, rec::kLine2Offset));
    } else {
        FUZZ_CHECK(model.Clears() == clears_before);
        FUZZ_CHECK(model.Row(1) == row1_before && model.Row(2) == row2_before);
    }
    if (length > rec::kScaleOffset) FUZZ_CHECK(model.Row(3).compare(0, 9, korv::AmountWords().tax) == 0);
    if (length > rec::kTotalOffset) FUZZ_CHECK(model.Row(4).compare(0, 10, korv::AmountWords().total) == 0);
    if (length >= rec::kUsedSize) {
        const std::uint16_t scale = Le16(r, rec::kScaleOffset);
        CheckAmountField(model.Row(3).substr(9), Le32(r, rec::kTaxOffset), scale);
        CheckAmountField(model.Row(4).substr(10), Le32(r, rec::kTotalOffset), scale);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 201) return 0;
    fake::Reset();
    korv::DisplayDriver display;
    korv::sim::Hd44780Model model;
    fake::ComPort(5);
    display.Open({5});
    model.Feed(fake::ComPort(5).received);

    // The first byte splits the rest into the record before and after a rewrite.
    const std::size_t split = 1 + data[0] % size;
    korv::platform::RecordFile file;
    file.Open(korv::kPoleRecordFileName, korv::platform::RecordFile::Mode::kPoll);
    korv::CycleState state;
    fake::File(korv::kPoleRecordFileName).assign(reinterpret_cast<const char*>(data) + 1, split - 1);
    RunAndCheck(file, state, display, model);
    fake::File(korv::kPoleRecordFileName).assign(reinterpret_cast<const char*>(data) + split, size - split);
    RunAndCheck(file, state, display, model);
    return 0;
}
