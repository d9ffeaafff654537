#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "sim/display_model.h"

// What korvpole-display prints: the panel, the screen at the end, the byte log.
namespace korv::tools {
enum class PanelStyle {
    kColour,  // rows lit or dark with ANSI colours, redrawn in place
    kPlain,   // no escape codes at all: each new frame below the last
};

// The rows as lines of the letters a customer reads, in UTF-8; '?' where none is.
std::string DumpScreen(const sim::DisplayModel& model);

// A line per byte as a protocol analyser lists them: the time, the byte, what it was and
// where it left the cursor in the display's own terms (an HD44780's DDRAM address).
std::string FormatLogLine(std::int64_t elapsed_ms, const sim::DecodedByte& decoded, const sim::DisplayModel& model);

// The kind, port and light, the framed rows (UTF-8), the counts and the bytes of the
// latest unknown commands on `out`; drawn again on a change, at most once per gap, so
// that a burst of bytes costs one drawing.
class LivePanel {
public:
    LivePanel(std::FILE* out, PanelStyle style, bool in_place, std::string link);

    // Draws a change once the last drawing is old enough; the milliseconds until a
    // pending one may be drawn, or -1.
    int Update(const sim::DisplayModel& model);
    // Draws what is pending and leaves the terminal as it was found.
    void Finish(const sim::DisplayModel& model);
    // A command the model counted unknown: a wrong kind sends the other set's commands,
    // a wrong speed garbage.
    void NoteUnknown(const std::string& command);

private:
    void Draw(const std::string& frame);

    std::FILE* out_;
    PanelStyle style_;
    bool in_place_;
    std::string link_;
    std::string unknown_;  // the latest bytes, in hex
    std::string drawn_;
    bool started_ = false;
    std::chrono::milliseconds min_gap_;
    std::chrono::steady_clock::time_point last_draw_{};
};
}  // namespace korv::tools
