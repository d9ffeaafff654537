// Prints the figures README.md quotes for this build on this machine: how soon a
// rewrite of POLE.DAT reaches the display, how much of a core the program uses in each
// steady state, and what one byte on the line costs.
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "display/serial_channel.h"
#include "tests/support/runner.h"
#include "tests/support/screen.h"

namespace {

using namespace std::chrono;
using korv::test::DisplayTap;
using korv::test::Runner;
using PoleRecord = korv::tools::PoleRecordFields;

constexpr int kChanges = 60;
constexpr auto kCpuWindow = seconds(10);

std::string CpuModel() {
    std::ifstream info("/proc/cpuinfo");
    for (std::string line; std::getline(info, line);)
        if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
    return "unknown";
}

void PrintMachine() {
    utsname host{};
    uname(&host);
    char date[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d", std::gmtime(&now));
    std::printf("date:     %s\nmachine:  %s %s, %ld cores, %s\n", date, host.sysname, host.machine,
                sysconf(_SC_NPROCESSORS_ONLN), CpuModel().c_str());
}

bool ShowsRecord(const korv::sim::Hd44780Model& model, const PoleRecord& record) {
    return model.Row(1) == korv::test::TextRow(record.line1) &&
           model.Row(4) == korv::test::TotalRow(std::to_string(record.total / 100) + "." +
                                                (record.total % 100 < 10 ? "0" : "") +
                                                std::to_string(record.total % 100));
}

double Percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const std::size_t index = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

void MeasureLatency() {
    Runner program;
    program.WriteConfig(5, true);
    PoleRecord record{"WELCOME", "", 1, 1, 0, 0};
    program.WriteRecord(record);
    DisplayTap& display = program.Port(5);
    program.Start();
    display.PumpUntil([&](const auto& model) { return ShowsRecord(model, record); }, seconds(10));

    std::vector<double> latencies_ms;
    for (int i = 0; i < kChanges; ++i) {
        record.counter = static_cast<std::uint16_t>(record.counter + 1);
        record.line1 = "ITEM " + std::to_string(i);
        record.total = 100 * i + 37;
        // Let the rewrite land at a random point of the program's cycle.
        display.Pump(milliseconds(37 * (i % 9)));
        const auto start = steady_clock::now();
        program.WriteRecord(record);
        if (!display.PumpUntil([&](const auto& model) { return ShowsRecord(model, record); }, seconds(5))) {
            std::printf("change %d never reached the display\n", i);
            continue;
        }
        latencies_ms.push_back(duration<double, std::milli>(steady_clock::now() - start).count());
    }
    program.Type("x");
    program.WaitExit();
    if (latencies_ms.empty()) return;
    std::printf("rewrite of POLE.DAT to the display showing it, over %zu changes:\n", latencies_ms.size());
    std::printf("  median %.0f ms, 95th percentile %.0f ms, maximum %.0f ms\n",
                Percentile(latencies_ms, 0.5), Percentile(latencies_ms, 0.95),
                *std::max_element(latencies_ms.begin(), latencies_ms.end()));
}

enum class SteadyState { kFullRecord, kEmptyRecord, kFileOpenWait };

double MeasureCpuShare(SteadyState state) {
    Runner program;
    program.WriteConfig(5, true);
    if (state == SteadyState::kFullRecord) program.WriteRecord({"COFFEE", "2 x 1.80", 7, 1, 29, 360});
    if (state == SteadyState::kEmptyRecord) program.Dir().Write("POLE.DAT", "");
    if (state == SteadyState::kFileOpenWait) mkdir(program.PathOf("POLE.DAT").c_str(), 0755);
    DisplayTap& display = program.Port(5);
    program.Start();
    display.Pump(seconds(2));  // past start-up
    // Drain the display line meanwhile so the program never waits on it.
    const double before = program.CpuSeconds();
    const auto start = steady_clock::now();
    display.Pump(kCpuWindow);
    const double share = (program.CpuSeconds() - before) /
                         duration<double>(steady_clock::now() - start).count();
    program.Type("x");
    program.WaitExit(seconds(5));
    return share;
}

void MeasureByteCost() {
    Runner folder;
    korv::test::WorkingDirectory here(folder.Dir().Path());
    DisplayTap& display = folder.Port(5);
    korv::SerialChannel channel;
    if (!channel.Open(5, 9600)) return;
    constexpr int kBytes = 400;
    std::vector<std::uint8_t> bytes(kBytes, 'A');
    const auto start = steady_clock::now();
    channel.Send(bytes.data(), kBytes);
    const double elapsed_ms = duration<double, std::milli>(steady_clock::now() - start).count();
    channel.Close();
    display.Pump(milliseconds(200));
    std::printf("one byte on the line, including its 1 ms pause: %.3f ms (mean over %d bytes)\n",
                elapsed_ms / kBytes, kBytes);
}

}  // namespace

int main() {
    PrintMachine();
    MeasureByteCost();
    MeasureLatency();
    std::printf("share of one core, each over %lld s:\n", static_cast<long long>(kCpuWindow.count()));
    std::printf("  full record, refreshing:   %.3f%%\n", 100 * MeasureCpuShare(SteadyState::kFullRecord));
    std::printf("  empty record, polling:     %.3f%%\n", 100 * MeasureCpuShare(SteadyState::kEmptyRecord));
    std::printf("  POLE.DAT unopenable, wait: %.3f%%\n", 100 * MeasureCpuShare(SteadyState::kFileOpenWait));
    return 0;
}
