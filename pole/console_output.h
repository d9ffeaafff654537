#pragma once

#include <cstdio>
#include <string>

namespace korv {
// Console text goes out at once and in the order it was made, whether the console is
// a terminal, a pipe or a journal: every message is flushed as it is written.
inline void PrintNow(const char* text) {
    std::fputs(text, stdout);
    std::fflush(stdout);
}

// A line on standard error, after what standard output already holds.
inline void TellNow(const std::string& line) {
    std::fflush(stdout);
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}
}  // namespace korv
