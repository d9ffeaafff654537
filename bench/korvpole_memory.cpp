// Resident memory of korvpole at work, for README.md: each program named on the
// command line runs in a scratch folder with its console and its COM1 on
// pseudo-terminals and a full POLE.DAT, and its VmRSS is read once it has drawn for a
// few seconds. Compares builds, e.g. with the shared and the static C++ runtime:
//   korvpole_memory build/korvpole build-package/linux/korvpole
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/runner.h"

namespace {
constexpr std::chrono::seconds kSettle(4);

long StatusKb(pid_t pid, const char* field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::string(field).size());
    return -1;
}

int Measure(const std::string& named) {
    // The program starts in the scratch folder, so a relative name would miss it.
    const std::string program = std::filesystem::absolute(named).string();
    korv::test::Runner run;
    run.WriteConfig(1, true);
    run.WriteRecord({"Coffee beans 500g", "1 x 8.90        8.90", 1, 1, 62, 890});
    korv::test::DisplayTap& port = run.Port(1);
    run.Start({program, {}, nullptr});
    // Reading the line meanwhile, so that korvpole never waits on a full terminal.
    port.Pump(kSettle);
    run.Pump();
    const long rss = StatusKb(run.Pid(), "VmRSS:");
    const long peak = StatusKb(run.Pid(), "VmHWM:");
    run.Type("X");
    run.WaitExit();
    if (rss < 0) {
        std::fprintf(stderr, "%s: ended before it could be measured\n", program.c_str());
        return 1;
    }
    std::printf("%-40s resident %6ld kB (%.1f MB), peak %6ld kB\n", program.c_str(), rss,
                rss / 1024.0, peak);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: korvpole_memory KORVPOLE...\n");
        return 2;
    }
    std::printf("resident memory of korvpole after %lld s of drawing a full record\n",
                static_cast<long long>(kSettle.count()));
    int failures = 0;
    for (int i = 1; i < argc; ++i) failures += Measure(argv[i]);
    return failures == 0 ? 0 : 1;
}
