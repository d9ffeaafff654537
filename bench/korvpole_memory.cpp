// Resident memory of korvpole at work, for README.md: each program named on the
// command line runs in a scratch folder with its console and its COM1 on
// pseudo-terminals and a full POLE.DAT, and its VmRSS is read once it has drawn for a
// few seconds. Compares builds, e.g. with the shared and the static C++ runtime:
//   korvpole_memory build/korvpole build-package/linux/korvpole
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/record_writer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kSettle(4);

struct Pty {
    int master = -1;
    int slave = -1;
    std::string name;
};

bool OpenPty(Pty& pty) {
    char name[128];
    if (openpty(&pty.master, &pty.slave, name, nullptr, nullptr) != 0) return false;
    pty.name = name;
    fcntl(pty.master, F_SETFL, O_NONBLOCK);
    return true;
}

// Reads what both far sides hold, so that korvpole never waits on a full terminal.
void Drain(const Pty& console, const Pty& port, std::chrono::milliseconds span) {
    const auto end = Clock::now() + span;
    char buffer[4096];
    while (Clock::now() < end) {
        pollfd fds[2] = {{console.master, POLLIN, 0}, {port.master, POLLIN, 0}};
        if (poll(fds, 2, 50) <= 0) continue;
        for (const pollfd& fd : fds)
            if (fd.revents & POLLIN) (void)!read(fd.fd, buffer, sizeof buffer);
    }
}

long StatusKb(pid_t pid, const char* field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::string(field).size());
    return -1;
}

bool Prepare(const std::string& dir, const Pty& port) {
    std::ofstream config(dir + "/KORVPOLE.CFG", std::ios::binary);
    config.write("1\0\0" "1\0", 5);  // COM1, backlight on
    if (!config) return false;
    if (symlink(port.name.c_str(), (dir + "/COM1").c_str()) != 0) return false;
    korv::tools::PoleRecordFields fields;
    fields.line1 = "Coffee beans 500g";
    fields.line2 = "1 x 8.90        8.90";
    fields.counter = 1;
    fields.tax = 62;
    fields.total = 890;
    std::string error;
    return korv::tools::WriteRecordInPlace(dir + "/POLE.DAT", korv::tools::EncodeRecord(fields), error);
}

int Measure(const std::string& named) {
    // The program starts in the scratch folder, so a relative name would miss it.
    const std::string program = std::filesystem::absolute(named).string();
    char pattern[] = "/tmp/korvpole-memory-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    const std::string dir = pattern;
    Pty console, port;
    if (!OpenPty(console) || !OpenPty(port) || !Prepare(dir, port)) {
        std::fprintf(stderr, "%s: cannot set up a scratch folder\n", program.c_str());
        return 1;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        setsid();
        ioctl(console.slave, TIOCSCTTY, 0);
        for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) dup2(console.slave, fd);
        if (chdir(dir.c_str()) != 0) _exit(126);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    Drain(console, port, std::chrono::duration_cast<std::chrono::milliseconds>(kSettle));
    const long rss = StatusKb(pid, "VmRSS:");
    const long peak = StatusKb(pid, "VmHWM:");
    (void)!write(console.master, "X", 1);
    Drain(console, port, std::chrono::milliseconds(1500));
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != pid) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    std::filesystem::remove_all(dir);
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
