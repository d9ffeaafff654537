#include "tests/support/console_text.h"

#include <algorithm>
#include <cstdlib>

namespace korv::test {

namespace {

constexpr char kEscape = '\x1b';
constexpr char kBell = '\x07';

// Skips an operating-system command (ESC ] ... BEL or ESC \) starting at `i`.
std::size_t SkipOsCommand(const std::string& raw, std::size_t i) {
    while (i < raw.size()) {
        if (raw[i] == kBell) return i + 1;
        if (raw[i] == kEscape && i + 1 < raw.size() && raw[i + 1] == '\\') return i + 2;
        ++i;
    }
    return i;
}

// Reads a control sequence (ESC [ parameters final) starting after the '['; appends
// the blanks a cursor-forward step stands for.
std::size_t ReadControlSequence(const std::string& raw, std::size_t i, std::string& text) {
    const std::size_t start = i;
    while (i < raw.size() && (raw[i] < 0x40 || raw[i] > 0x7e)) ++i;
    if (i >= raw.size()) return i;
    if (raw[i] == 'C') {
        const std::string parameter = raw.substr(start, i - start);
        const int steps = parameter.empty() ? 1 : std::atoi(parameter.c_str());
        text.append(static_cast<std::size_t>(steps > 0 ? steps : 1), ' ');
    }
    return i + 1;
}

}  // namespace

std::string PlainText(const std::string& raw) {
    std::string text;
    std::size_t i = 0;
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == '\r') {
            ++i;
        } else if (c != kEscape) {
            text += c;
            ++i;
        } else if (i + 1 >= raw.size()) {
            ++i;
        } else if (raw[i + 1] == '[') {
            i = ReadControlSequence(raw, i + 2, text);
        } else if (raw[i + 1] == ']') {
            i = SkipOsCommand(raw, i + 2);
        } else {
            i += 2;
        }
    }
    return text;
}

std::string Unwrapped(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    return text;
}

}  // namespace korv::test
