#include "tools/simulator/simulator.h"

namespace korv::tools {
namespace {
using Clock = std::chrono::steady_clock;

constexpr const char* kLit = "\x1b[30;102m";    // dark characters on a lit green panel
constexpr const char* kDark = "\x1b[90;40m";    // dim characters on an unlit panel
constexpr const char* kReset = "\x1b[0m";
constexpr const char* kHome = "\x1b[H";
constexpr const char* kClearToLineEnd = "\x1b[K";
constexpr const char* kClearBelow = "\x1b[J";
constexpr const char* kClearScreenHideCursor = "\x1b[2J\x1b[?25l";
constexpr const char* kShowCursor = "\x1b[?25h";

// A terminal is redrawn at most this often; a log file or pipe gets fewer frames.
constexpr std::chrono::milliseconds kTerminalGap(40);
constexpr std::chrono::milliseconds kPlainGap(250);
constexpr std::size_t kUnknownShown = 8;  // bytes

std::string ShownRow(const sim::DisplayModel& model, int row) {
    return model.DisplayOn() ? model.Reading(row) : std::string(static_cast<std::size_t>(model.Columns()), ' ');
}

std::string RenderPanel(const sim::DisplayModel& model, const std::string& link, PanelStyle style,
                        const std::string& unknown) {
    const std::string edge = "+" + std::string(static_cast<std::size_t>(model.Columns()), '-') + "+\n";
    const bool colour = style == PanelStyle::kColour;
    std::string frame = " " + link + "  " + model.LightText() + (model.DisplayOn() ? "\n" : "  display off\n") + edge;
    const std::string light = colour ? (model.BacklightOn() ? kLit : kDark) : "";
    for (int row = 1; row <= model.Rows(); ++row)
        frame += "|" + light + ShownRow(model, row) + (colour ? kReset : "") + "|\n";
    frame += edge + " bytes " + std::to_string(model.BytesReceived()) + "  commands " +
             std::to_string(model.CommandsSeen()) + "  unknown " + std::to_string(model.UnknownCommands()) + "\n";
    return unknown.empty() ? frame : frame + " unknown bytes:" + unknown + "\n";
}
}  // namespace

std::string DumpScreen(const sim::DisplayModel& model) {
    std::string text;
    for (int row = 1; row <= model.Rows(); ++row) text += ShownRow(model, row) + "\n";
    return text;
}

LivePanel::LivePanel(std::FILE* out, PanelStyle style, bool in_place, std::string link)
    : out_(out), style_(style), in_place_(in_place), link_(std::move(link)),
      min_gap_(in_place ? kTerminalGap : kPlainGap) {}

int LivePanel::Update(const sim::DisplayModel& model) {
    const std::string frame = RenderPanel(model, link_, style_, unknown_);
    if (started_ && frame == drawn_) return -1;
    const auto since = Clock::now() - last_draw_;
    if (started_ && since < min_gap_)
        return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(min_gap_ - since).count() + 1);
    Draw(frame);
    return -1;
}

void LivePanel::Finish(const sim::DisplayModel& model) {
    const std::string frame = RenderPanel(model, link_, style_, unknown_);
    if (!started_ || frame != drawn_) Draw(frame);
    if (in_place_) std::fputs(kShowCursor, out_);
    std::fflush(out_);
}

void LivePanel::NoteUnknown(const std::string& command) {
    char hex[4];
    for (const char byte : command) {
        std::snprintf(hex, sizeof hex, " %02X", static_cast<unsigned char>(byte));
        unknown_ += hex;
    }
    if (unknown_.size() > kUnknownShown * 3) unknown_.erase(0, unknown_.size() - kUnknownShown * 3);
}

void LivePanel::Draw(const std::string& frame) {
    std::string text;
    if (in_place_) {
        if (!started_) text += kClearScreenHideCursor;
        text += kHome;
        for (const char c : frame) {
            if (c == '\n') text += kClearToLineEnd;
            text += c;
        }
        text += kClearBelow;
    } else {
        text = (started_ ? "\n" : "") + frame;
    }
    std::fputs(text.c_str(), out_);
    std::fflush(out_);
    drawn_ = frame;
    started_ = true;
    last_draw_ = Clock::now();
}
}  // namespace korv::tools
