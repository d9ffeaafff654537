#pragma once

#include <cstdint>
#include <string>

// An in-memory platform for fuzzing and fast tests: the serial port records its bytes,
// sleeps advance a virtual clock, no key ever comes, and every record file opened reads
// the same bytes in memory.
namespace korv::platform::fake {

struct State {
    std::string serial_output;  // every byte written to an open port
    std::int64_t clock_ms = 0;
    std::string record;         // the contents of any record file opened
    int seeks = 0;              // seeks made in record files so far
    bool seeks_fail = false;
    int read_fails_at = -1;     // a read from this offset reports an error
    int read_ends_at = -1;      // a read from this offset delivers nothing
};

State& Platform();
void Reset();

}  // namespace korv::platform::fake
