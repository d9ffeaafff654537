#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "sim/display_model.h"

namespace korv::tools {
enum class PanelStyle {
    kColour,  // rows lit or dark with ANSI colours, redrawn in place
    kPlain,   // no escape codes at all: each new frame below the last
};

// The rows as lines of the letters a customer reads, in UTF-8; '?' where none is.
std::string DumpScreen(const sim::DisplayModel& model);

// Draws the panel to `out` whenever it changed, but not more often than a minimum gap,
// so a burst of bytes costs one redraw: a header with the kind, the port and the
// backlight or brightness, the framed rows as the customer sees them (UTF-8), a status
// line with the counts, and the bytes of the latest commands the kind does not know.
class LivePanel {
public:
    LivePanel(std::FILE* out, PanelStyle style, bool in_place, std::string link);

    // Draws when the panel changed and the last drawing is old enough; returns how long
    // to wait before a change still pending may be drawn (or -1 when none is pending).
    int Update(const sim::DisplayModel& model);
    // Draws what is pending and leaves the terminal as it was found.
    void Finish(const sim::DisplayModel& model);
    // The bytes of a command the model counted unknown. A wrong kind sends the other
    // set's commands; a wrong speed, garbage.
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
