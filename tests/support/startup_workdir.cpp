#include "tests/support/startup_workdir.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

namespace korv::test {

namespace {
using Clock = std::chrono::steady_clock;

std::string CurrentDirectory() {
    char path[PATH_MAX];
    if (getcwd(path, sizeof path) == nullptr) throw std::runtime_error("getcwd failed");
    return path;
}

int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}
}  // namespace

ScratchWorkdir::ScratchWorkdir() : previous_(CurrentDirectory()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "korv-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    if (chdir(path_.c_str()) != 0) throw std::runtime_error("chdir failed");
}

ScratchWorkdir::~ScratchWorkdir() {
    if (chdir(previous_.c_str()) != 0) std::perror("chdir back");
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void ScratchWorkdir::WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream file(name, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + name);
}

bool ScratchWorkdir::ReadFile(const std::string& name, std::string& bytes) {
    std::ifstream file(name, std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

ScriptedChild::ScriptedChild(const std::function<void()>& body) {
    int to_child[2];
    int from_child[2];
    if (pipe(to_child) != 0 || pipe(from_child) != 0) throw std::runtime_error("pipe failed");
    // Whatever the test's own streams hold must not be written twice.
    std::fflush(nullptr);
    std::cout.flush();
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        dup2(to_child[0], STDIN_FILENO);
        dup2(from_child[1], STDOUT_FILENO);
        close(to_child[0]);
        close(to_child[1]);
        close(from_child[0]);
        close(from_child[1]);
        body();
        std::cout.flush();
        std::fflush(nullptr);
        _exit(0);
    }
    close(to_child[0]);
    close(from_child[1]);
    input_ = to_child[1];
    output_fd_ = from_child[0];
    fcntl(output_fd_, F_SETFL, fcntl(output_fd_, F_GETFL) | O_NONBLOCK);
    signal(SIGPIPE, SIG_IGN);
}

ScriptedChild::~ScriptedChild() {
    if (!ended_) Finish(std::chrono::milliseconds(0));
    EndInput();
    if (output_fd_ >= 0) close(output_fd_);
}

void ScriptedChild::Type(const std::string& text) {
    std::size_t done = 0;
    while (input_ >= 0 && done < text.size()) {
        const ssize_t count = write(input_, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        done += static_cast<std::size_t>(count);
    }
}

void ScriptedChild::EndInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
}

void ScriptedChild::Collect(std::chrono::milliseconds window) {
    const auto deadline = Clock::now() + window;
    while (output_fd_ >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd readable{output_fd_, POLLIN, 0};
        const int ready = poll(&readable, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (ready <= 0) {
            if (left.count() <= 0) return;
            continue;
        }
        char buffer[4096];
        const ssize_t count = read(output_fd_, buffer, sizeof buffer);
        if (count > 0) {
            output_.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0) {
            close(output_fd_);  // every writer is gone: the child ended
            output_fd_ = -1;
        } else if (errno != EAGAIN && errno != EINTR) {
            return;
        }
    }
}

bool ScriptedChild::WaitForOutput(const std::string& text, int times, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (CountOf(output_, text) < times) {
        if (Clock::now() >= deadline || output_fd_ < 0) return false;
        Collect(std::chrono::milliseconds(20));
    }
    return true;
}

bool ScriptedChild::StillRunningAfter(std::chrono::milliseconds window) {
    Collect(window);
    return !Reap(false);
}

bool ScriptedChild::Reap(bool wait) {
    if (ended_) return true;
    int status = 0;
    const pid_t done = waitpid(pid_, &status, wait ? 0 : WNOHANG);
    if (done != pid_) return false;
    ended_ = true;
    exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

bool ScriptedChild::Finish(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!Reap(false)) {
        if (Clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            Reap(true);
            Collect(std::chrono::milliseconds(0));
            exit_status_ = -1;
            return false;
        }
        Collect(std::chrono::milliseconds(20));
    }
    // The pipe ends once the child's last copy of it is closed.
    const auto drain_deadline = Clock::now() + std::chrono::seconds(2);
    while (output_fd_ >= 0 && Clock::now() < drain_deadline) Collect(std::chrono::milliseconds(50));
    return exit_status_ == 0;
}

}  // namespace korv::test
