// Runs korvpole for a long time against a pseudo-terminal display while a writer
// rewrites POLE.DAT about 50 times a second with valid records, truncations to every
// length, growth back, random bytes and counter wrap-arounds. Every few seconds the
// writer pauses on a known record, and the display must then show exactly that record.
// The program must never end, and its memory and open descriptors must stay flat.
//
//   korvpole_soak [--seconds N]     (default 600)
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "tests/support/runner.h"
#include "tests/support/screen.h"

namespace {
using namespace std::chrono;
using korv::test::DisplayTap;
using korv::test::Runner;
using PoleRecord = korv::PoleRecordFields;

constexpr auto kChangeInterval = milliseconds(20);
constexpr int kChangesBetweenPauses = 150;
// Pause records use counters with the top bit set, the rest never do, so a pause
// record is always a change the program has not seen.
constexpr std::uint16_t kPauseCounterBase = 0x8000;
constexpr long kRssGrowthLimitKb = 512;

long ResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

int OpenDescriptors(pid_t pid) {
    DIR* fds = opendir(("/proc/" + std::to_string(pid) + "/fd").c_str());
    if (fds == nullptr) return -1;
    int count = 0;
    while (dirent* entry = readdir(fds))
        if (entry->d_name[0] != '.') ++count;
    closedir(fds);
    return count;
}

std::string Amount(std::int32_t hundredths) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", hundredths / 100.0);
    return text;
}

class Writer {
public:
    explicit Writer(const Runner& run) : file_(run), random_(20261208) {}

    void ChangeAtRandom() {
        ++changes_;
        switch (random_() % 5) {
            case 0: {  // a valid record
                file_.WriteRecord(Record(static_cast<std::uint16_t>(random_() & 0x7FFF)));
                break;
            }
            case 1:  // cut short, to every length in turn
                file_.TruncateRecord(truncate_to_++ % 75);
                break;
            case 2: {  // random bytes, the counter kept out of the pause range
                std::string bytes(74, '\0');
                for (char& byte : bytes) byte = static_cast<char>(random_());
                bytes[59] = static_cast<char>(bytes[59] & 0x7F);
                file_.TruncateRecord(0);
                file_.WriteRecordBytes(0, bytes);
                break;
            }
            case 3: {  // the counter wraps around
                file_.WriteRecord(Record(0xFFFF));
                file_.WriteRecord(Record(0));
                break;
            }
            default:  // grows back to a whole record
                file_.WriteRecord(Record(static_cast<std::uint16_t>(random_() & 0x7FFF)));
                break;
        }
    }

    PoleRecord WritePause() {
        PoleRecord record = Record(static_cast<std::uint16_t>(kPauseCounterBase + pauses_++));
        file_.TruncateRecord(0);
        file_.WriteRecord(record);
        return record;
    }

    long Changes() const { return changes_; }

private:
    PoleRecord Record(std::uint16_t counter) {
        PoleRecord record;
        record.line1 = "ITEM " + std::to_string(random_() % 100000);
        record.line2 = "QTY " + std::to_string(random_() % 100);
        record.counter = counter;
        record.scale = 1;
        record.tax = static_cast<std::int32_t>(random_() % 2000000) - 1000000;
        record.total = static_cast<std::int32_t>(random_() % 20000000) - 100000;
        return record;
    }

    const Runner& file_;
    std::mt19937 random_;
    long changes_ = 0;
    unsigned truncate_to_ = 0;
    unsigned pauses_ = 0;
};

bool ShowsExactly(const korv::sim::DisplayModel& model, const PoleRecord& record) {
    return model.Row(1) == korv::test::TextRow(record.line1) &&
           model.Row(2) == korv::test::TextRow(record.line2) &&
           model.Row(3) == korv::test::TaxRow(Amount(record.tax)) &&
           model.Row(4) == korv::test::TotalRow(Amount(record.total));
}

// Completed or partly drawn cycles: each starts row 3 with its caption.
long CountCycles(const std::string& bytes) {
    long cycles = 0;
    for (std::size_t at = bytes.find("\xFE\x94TOTAL TAX"); at != std::string::npos;
         at = bytes.find("\xFE\x94TOTAL TAX", at + 1))
        ++cycles;
    return cycles;
}
}  // namespace

int main(int argc, char** argv) {
    long seconds_to_run = 600;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--seconds") == 0) seconds_to_run = std::atol(argv[i + 1]);

    Runner program;
    program.WriteConfig(5, true);
    Writer writer(program);
    writer.WritePause();
    DisplayTap& display = program.Port(5);
    program.Start();
    display.Pump(seconds(2));
    const long rss_start = ResidentKb(program.Pid());
    const int fds_start = OpenDescriptors(program.Pid());

    int failures = 0;
    long pauses_checked = 0;
    const auto end = steady_clock::now() + seconds(seconds_to_run);
    while (steady_clock::now() < end && program.Running()) {
        for (int i = 0; i < kChangesBetweenPauses && program.Running(); ++i) {
            writer.ChangeAtRandom();
            display.Pump(kChangeInterval);
        }
        const PoleRecord expected = writer.WritePause();
        const bool shown = display.PumpUntil([&](const auto& model) { return ShowsExactly(model, expected); },
                                             seconds(5));
        ++pauses_checked;
        if (!shown) {
            ++failures;
            std::printf("pause %ld: the display does not show the record\n", pauses_checked);
            for (int row = 1; row <= 4; ++row)
                std::printf("  row %d: [%s]\n", row, display.Model().Row(row).c_str());
        }
        program.Pump();
    }

    const long cycles = CountCycles(display.Received());
    const bool alive = program.Running();
    const long rss_end = alive ? ResidentKb(program.Pid()) : -1;
    const int fds_end = alive ? OpenDescriptors(program.Pid()) : -1;
    std::printf("soak: %ld s, %ld changes written, %ld cycles seen, %ld pauses checked\n",
                seconds_to_run, writer.Changes(), cycles, pauses_checked);
    std::printf("soak: resident memory %ld kB at start, %ld kB at end; descriptors %d and %d\n",
                rss_start, rss_end, fds_start, fds_end);
    if (!alive) {
        std::printf("soak: korvpole ended: %s\n", program.WaitExit().Describe().c_str());
        ++failures;
    }
    if (alive && (rss_end > rss_start + kRssGrowthLimitKb || fds_end != fds_start)) {
        std::printf("soak: memory or descriptors grew\n");
        ++failures;
    }
    program.Type("x");
    program.WaitExit(seconds(10));
    std::printf("soak: %d passed, %d failed\n", failures == 0 ? 1 : 0, failures == 0 ? 0 : 1);
    return failures == 0 ? 0 : 1;
}
