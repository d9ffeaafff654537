#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "sim/display_model.h"

// korvpole-display's parts: the link it offers; the panel, the screen at the end and the log it prints.
namespace korv::tools {
// A pseudo-terminal linked as COM<n> in the working folder, for korvpole to open as a
// port; a slave descriptor of its own keeps a client's close from hanging it up.
// Windows has none: Create fails there, saying what to do instead.
class PtyLink {
public:
    PtyLink() = default;
    // Removes the link, but only while it still points at this simulator's terminal.
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Fails, touching nothing, when COM<n> already exists: whatever is there is
    // somebody else's, even a link to another pseudo-terminal.
    bool Create(int port, std::string& error);
    // What came on the link, as SerialDevice::Read says it.
    int Read(std::uint8_t* buffer, int size, int timeout_ms);

private:
    void CloseTerminal();

    int master_ = -1;
    int slave_ = -1;
    std::string slave_path_;
    std::string name_;
    bool linked_ = false;
};

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

    // Draws a change once the last drawing is old enough; the ms until a pending one may be, or -1.
    int Update(const sim::DisplayModel& model);
    // Draws what is pending and leaves the terminal as it was found.
    void Finish(const sim::DisplayModel& model);
    // A command the model counted unknown, as a wrong kind or a wrong speed sends them.
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
