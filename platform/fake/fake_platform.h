#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

// An in-memory platform for fuzzing and fast tests, whose sleeps advance a virtual clock.
namespace korv::platform::fake {
// COM port n. A port that was never made does not exist.
struct Port {
    std::string received;  // what the display took since it was plugged in
    bool drops = false;    // bytes are not taken, as on a stopped line
    int opens = 0;         // opens tried
    bool plugged = true;
    bool held = false;     // open here or by another program: another open is busy
    int plugged_times = 0; // a device opened before the latest plug-in is gone
};

struct State {
    std::int64_t clock_ms = 0;
    std::multimap<std::int64_t, std::function<void()>> plan;  // At's actions by their times

    std::map<int, Port> ports;

    // Each name's bytes; a file opened keeps the bytes it was opened on.
    std::map<std::string, std::shared_ptr<std::string>> files;
    struct Opened {
        std::shared_ptr<std::string> bytes;
        std::int64_t position = 0;
    };
    std::vector<Opened> opened;  // a RecordFile's handle is its index here
    int seeks = 0;               // seeks made in record files so far
    // Steps of record files that fail with `step_error`: every seek while seeks_fail, a
    // read or a write that starts at the offset given.
    std::error_code step_error = std::make_error_code(std::errc::io_error);
    bool seeks_fail = false;
    std::int64_t read_fails_at = -1;
    std::int64_t write_fails_at = -1;
    std::int64_t read_ends_at = -1;  // a read from this offset delivers nothing

    std::deque<int> keys;  // typed and not yet read; no stop ever comes
};

State& Platform();
void Reset();

// Runs `action` once the clock has reached `ms`.
void At(std::int64_t ms, std::function<void()> action);

// Port n, made present when it did not exist.
Port& ComPort(int n);
// The display's adapter pulled out: a device open on it is gone, opens find nothing.
void Unplug(int n);
// A display plugged in again, which has received nothing yet.
void Replug(int n);

// The bytes the name leads to, made empty when missing; written in place.
std::string& File(const std::string& name);
// A new file takes the name (a writer saved by renaming over it); files open on the
// old one keep reading it until they follow the name.
void Replace(const std::string& name, const std::string& bytes);
}  // namespace korv::platform::fake
