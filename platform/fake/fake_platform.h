#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>

// An in-memory platform for fuzzing and fast tests: the serial port records its bytes,
// sleeps advance a virtual clock, keys and the record file come from memory.
namespace korv::platform::fake {

struct State {
    std::string serial_output;       // every byte written to an open port
    int open_port = 0;               // 0 while no port is open
    bool ports_exist = true;         // false: every open fails
    bool device_gone = false;        // true: writes report the device gone
    std::int64_t clock_ms = 0;
    std::int64_t slept_ms = 0;
    std::deque<int> keys;
    bool input_ended = false;
    std::string record;              // the contents of any record file opened
    bool record_opens = true;
    bool seek_fails = false;
    std::map<std::string, std::string> saved_files;  // by name, what the last save left
    bool saves_fail = false;                          // true: every save is refused
};

State& Platform();
void Reset();

}  // namespace korv::platform::fake
