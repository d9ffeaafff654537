// Prints the figures README.md quotes for a build on this machine: what one byte on the
// line costs, how soon a rewrite of POLE.DAT reaches the display, and how much of a core
// the program uses in each steady state.
//
//   korvpole_bench [--cpu-seconds N]                the Linux build beside this program
//   korvpole_bench [--cpu-seconds N] --windows PATH/korvpole.exe
//                          korvpole.exe under Wine, in a fresh prefix whose desktop is
//                          held by the korv-desktop-holder.exe beside it
//
// Each CPU share is taken over N seconds (10 unless told); /proc counts in 10 ms ticks,
// so a share is known to 1/N of a percent.
// Under Wine the shares of Wine's server and of the console (conhost.exe) are printed
// beside the program's: they work on its behalf.
#include <poll.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/runner.h"
#include "tests/support/screen.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wine_prefix.h"

namespace {
using namespace std::chrono;
using korv::test::DisplayTap;
using korv::test::Program;
using korv::test::Runner;
using korv::test::WinePrefix;
using PoleRecord = korv::PoleRecordFields;

constexpr int kChanges = 60;
constexpr auto kByteWindow = seconds(5);
// Bytes of one redraw follow each other about a millisecond apart; cycles 250 ms apart.
constexpr auto kBurstGap = milliseconds(20);
const PoleRecord kFullRecord{"COFFEE", "2 x 1.80", 7, 1, 29, 360};

std::string CommandOutput(const char* command) {
    std::string text;
    if (std::FILE* pipe = popen(command, "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, pipe) != nullptr) text += line;
        pclose(pipe);
    }
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text.empty() ? "unknown" : text;
}

std::string CpuModel() {
    std::ifstream info("/proc/cpuinfo");
    for (std::string line; std::getline(info, line);)
        if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
    return "unknown";
}

void PrintMachine(const Program& program) {
    utsname host{};
    uname(&host);
    char date[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d", std::gmtime(&now));
    std::printf("date:     %s\nmachine:  %s %s, %ld cores, %s\n", date, host.sysname, host.machine,
                sysconf(_SC_NPROCESSORS_ONLN), CpuModel().c_str());
    std::printf("program:  %s", program.path.c_str());
    if (program.IsWindows())
        std::printf(" under %s", CommandOutput("wine --version 2>/dev/null").c_str());
    std::printf("\n");
}

// A runner in a fresh folder with KORVPOLE.CFG for COM5, the display attached.
std::unique_ptr<Runner> PreparedRun(const Program& program) {
    auto run = std::make_unique<Runner>();
    run->UseWine(program.wine);
    run->WriteConfig(5, true);
    run->Port(5);
    return run;
}

void EndWithX(Runner& run) {
    run.Type("x");
    run.WaitExit(seconds(30));
}

// Arrival times of what comes on the display's line, gathered into the bursts of
// bytes that one redraw sends.
struct Burst {
    steady_clock::time_point first;
    steady_clock::time_point last;
    std::size_t bytes = 0;
};

std::vector<Burst> Bursts(int line, steady_clock::duration window) {
    std::vector<Burst> bursts;
    const auto end = steady_clock::now() + window;
    char buffer[256];
    while (steady_clock::now() < end) {
        pollfd readable{line, POLLIN, 0};
        if (poll(&readable, 1, 10) <= 0) continue;
        const ssize_t count = read(line, buffer, sizeof buffer);
        if (count <= 0) continue;
        const auto now = steady_clock::now();
        if (bursts.empty() || now - bursts.back().last > kBurstGap) bursts.push_back({now, now, 0});
        bursts.back().last = now;
        bursts.back().bytes += static_cast<std::size_t>(count);
    }
    return bursts;
}

// The time from one byte's arrival to the next within a redraw: the write, the 1 ms
// pause after it and whatever the platform adds.
void MeasureByteCost(const Program& program) {
    auto run = PreparedRun(program);
    run->WriteRecord(kFullRecord);
    run->Start(program);
    DisplayTap& display = run->Port(5);
    display.Pump(seconds(2));  // past start-up
    double spans_ms = 0;
    std::size_t steps = 0;
    // The first and last bursts may be cut by the window.
    const std::vector<Burst> bursts = Bursts(display.Port().MasterFd(), kByteWindow);
    for (std::size_t i = 1; i + 1 < bursts.size(); ++i) {
        if (bursts[i].bytes < 2) continue;
        spans_ms += duration<double, std::milli>(bursts[i].last - bursts[i].first).count();
        steps += bursts[i].bytes - 1;
    }
    EndWithX(*run);
    if (steps == 0) {
        std::printf("one byte on the line: no redraw arrived\n");
        return;
    }
    std::printf("one byte on the line, including its 1 ms pause: %.3f ms (mean over %zu bytes)\n",
                spans_ms / static_cast<double>(steps), steps + 1);
}

bool ShowsRecord(const korv::sim::DisplayModel& model, const PoleRecord& record) {
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

void MeasureLatency(const Program& program) {
    auto run = PreparedRun(program);
    PoleRecord record{"WELCOME", "", 1, 1, 0, 0};
    run->WriteRecord(record);
    DisplayTap& display = run->Port(5);
    run->Start(program);
    display.PumpUntil([&](const auto& model) { return ShowsRecord(model, record); }, seconds(30));

    std::vector<double> latencies_ms;
    for (int i = 0; i < kChanges; ++i) {
        record.counter = static_cast<std::uint16_t>(record.counter + 1);
        record.line1 = "ITEM " + std::to_string(i);
        record.total = 100 * i + 37;
        // Let the rewrite land at a random point of the program's cycle.
        display.Pump(milliseconds(37 * (i % 9)));
        const auto start = steady_clock::now();
        run->WriteRecord(record);
        if (!display.PumpUntil([&](const auto& model) { return ShowsRecord(model, record); }, seconds(5))) {
            std::printf("change %d never reached the display\n", i);
            continue;
        }
        latencies_ms.push_back(duration<double, std::milli>(steady_clock::now() - start).count());
    }
    EndWithX(*run);
    if (latencies_ms.empty()) return;
    std::printf("rewrite of POLE.DAT to the display showing it, over %zu changes:\n", latencies_ms.size());
    std::printf("  median %.0f ms, 95th percentile %.0f ms, maximum %.0f ms\n",
                Percentile(latencies_ms, 0.5), Percentile(latencies_ms, 0.95),
                *std::max_element(latencies_ms.begin(), latencies_ms.end()));
}

enum class SteadyState { kFullRecord, kEmptyRecord, kFileOpenWait };

// CPU seconds of the program and, under Wine, of its server and console.
struct CpuUse {
    double program = 0;
    double server = 0;
    double console = 0;
};

double CpuSecondsOfProcess(const WinePrefix* wine, const std::string& name) {
    if (wine == nullptr) return 0;
    return korv::test::ProcessCpuSeconds(wine->ProcessNamed(name));
}

CpuUse CpuUsed(Runner& run, const WinePrefix* wine) {
    return {run.CpuSeconds(), CpuSecondsOfProcess(wine, "wineserver"),
            CpuSecondsOfProcess(wine, "conhost.exe")};
}

void PrintShares(const char* state, const CpuUse& before, const CpuUse& after, double seconds,
                 bool windows) {
    std::printf("  %-27s %6.3f%%", state, 100 * (after.program - before.program) / seconds);
    if (windows)
        std::printf("   wineserver %6.3f%%   conhost %6.3f%%",
                    100 * (after.server - before.server) / seconds,
                    100 * (after.console - before.console) / seconds);
    std::printf("\n");
}

void MeasureCpuShare(const Program& program, SteadyState state, const char* name,
                     seconds window) {
    auto run = PreparedRun(program);
    if (state == SteadyState::kFullRecord) run->WriteRecord(kFullRecord);
    if (state == SteadyState::kEmptyRecord) run->Dir().Write("POLE.DAT", "");
    if (state == SteadyState::kFileOpenWait) mkdir(run->PathOf("POLE.DAT").c_str(), 0755);
    DisplayTap& display = run->Port(5);
    run->Start(program);
    display.Pump(seconds(2));  // past start-up
    // Drain the display line meanwhile so the program never waits on it.
    const CpuUse before = CpuUsed(*run, program.wine);
    const auto start = steady_clock::now();
    display.Pump(window);
    const CpuUse after = CpuUsed(*run, program.wine);
    PrintShares(name, before, after, duration<double>(steady_clock::now() - start).count(),
                program.IsWindows());
    EndWithX(*run);
}

// Wine's server serves every program of the prefix: its share with korvpole.exe not
// running is the floor under the figures above.
void MeasureIdleServer(const WinePrefix& wine, seconds window) {
    const double before = CpuSecondsOfProcess(&wine, "wineserver");
    const auto start = steady_clock::now();
    std::this_thread::sleep_for(window);
    const double after = CpuSecondsOfProcess(&wine, "wineserver");
    std::printf("  %-27s           wineserver %6.3f%%\n", "korvpole.exe not running:",
                100 * (after - before) / duration<double>(steady_clock::now() - start).count());
}

void RunAll(const Program& program, seconds window) {
    PrintMachine(program);
    MeasureByteCost(program);
    MeasureLatency(program);
    std::printf("share of one core, each over %lld s:\n", static_cast<long long>(window.count()));
    MeasureCpuShare(program, SteadyState::kFullRecord, "full record, refreshing:", window);
    MeasureCpuShare(program, SteadyState::kEmptyRecord, "empty record, polling:", window);
    MeasureCpuShare(program, SteadyState::kFileOpenWait, "POLE.DAT unopenable, wait:", window);
    if (program.wine != nullptr) MeasureIdleServer(*program.wine, window);
}

int RunUnderWine(const std::string& exe, seconds window) {
    namespace fs = std::filesystem;
    const fs::path path = fs::absolute(exe);
    const fs::path holder = path.parent_path() / "korv-desktop-holder.exe";
    if (!fs::exists(path) || !fs::exists(holder)) {
        std::fprintf(stderr, "korvpole_bench: need %s and %s\n", path.c_str(), holder.c_str());
        return 2;
    }
    korv::test::TempDir root;
    try {
        WinePrefix wine(root / "prefix", holder.string());
        RunAll({path.string(), {}, &wine}, window);
        wine.Stop();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "korvpole_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    long window_seconds = 10;
    std::string windows_exe;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--cpu-seconds" && i + 1 < argc) {
            window_seconds = std::atol(argv[++i]);
        } else if (argument == "--windows" && i + 1 < argc) {
            windows_exe = argv[++i];
        } else {
            window_seconds = 0;
            break;
        }
    }
    if (window_seconds <= 0) {
        std::fprintf(stderr, "usage: %s [--cpu-seconds N] [--windows PATH/korvpole.exe]\n",
                     argv[0]);
        return 2;
    }
    const seconds window(window_seconds);
    if (!windows_exe.empty()) return RunUnderWine(windows_exe, window);
    RunAll(Program::Korvpole(), window);
    return 0;
}
