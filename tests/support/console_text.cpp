#include "tests/support/console_text.h"

#include <algorithm>
#include <cstdlib>

namespace korv::test {
std::string PlainText(const std::string& raw) {
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r') continue;
        if (raw[i] != '\x1b') {
            text += raw[i];
            continue;
        }
        if (++i >= raw.size()) break;
        if (raw[i] == ']') {  // an operating-system command, up to BEL or ESC backslash
            while (++i < raw.size() && raw[i] != '\x07' && !(raw[i] == '\\' && raw[i - 1] == '\x1b')) {
            }
        } else if (raw[i] == '[') {  // a control sequence: parameters, then a final byte
            const std::size_t parameters = i + 1;
            while (++i < raw.size() && (raw[i] < 0x40 || raw[i] > 0x7e)) {
            }
            if (i < raw.size() && raw[i] == 'C') {
                const int steps = std::atoi(raw.substr(parameters, i - parameters).c_str());
                text.append(static_cast<std::size_t>(steps > 0 ? steps : 1), ' ');
            }
        }  // any other escape is two bytes long
    }
    return text;
}

std::string Unwrapped(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    return text;
}

int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

::testing::AssertionResult Contains(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no [" << part << "] in:\n" << text;
}
}  // namespace korv::test
