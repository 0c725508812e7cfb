#include "ChildProcess.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace velto::testing {

namespace {

struct Pipe {
    int read = -1;
    int write = -1;
};

Pipe makePipe() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    return {fds[0], fds[1]};
}

void closeQuietly(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

int statusOf(int waitStatus) {
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return -1;
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments) {
    auto input = makePipe();
    auto output = makePipe();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input.read, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output.write, STDOUT_FILENO);
    // Nothing else of the test (sockets, other pipes) leaks into the child.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);

    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    int error = posix_spawnp(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input.read);
    ::close(output.write);
    if (error != 0) {
        ::close(input.write);
        ::close(output.read);
        throw std::runtime_error("could not start " + program + ": " + std::strerror(error));
    }
    input_ = input.write;
    output_ = output.read;
}

ChildProcess::~ChildProcess() {
    terminate();
    closeQuietly(output_);
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (auto end = buffered_.find('\n'); end != std::string::npos) {
            auto line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return line;
        }
        if (outputEnded_ || output_ < 0)
            return std::nullopt;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd descriptor{output_, POLLIN, 0};
        int ready = ::poll(&descriptor, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        char chunk[4096];
        auto count = ::read(output_, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            outputEnded_ = true;
        else
            buffered_.append(chunk, static_cast<std::size_t>(count));
    }
}

bool ChildProcess::reap(bool block) {
    if (reaped_ || pid_ <= 0)
        return true;
    int waitStatus = 0;
    pid_t result;
    do {
        result = ::waitpid(pid_, &waitStatus, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0)
        return false;
    reaped_ = true;
    status_ = result == pid_ ? statusOf(waitStatus) : -1;
    return true;
}

bool ChildProcess::writeLine(const std::string& line) {
    if (input_ < 0)
        return false;
    std::string text = line + "\n";
    std::size_t written = 0;
    while (written < text.size()) {
        auto count = ::write(input_, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += static_cast<std::size_t>(count);
    }
    return true;
}

void ChildProcess::closeInput() {
    closeQuietly(input_);
}

int ChildProcess::wait() {
    reap(true);
    return status_;
}

int ChildProcess::terminate(std::chrono::milliseconds grace) {
    closeInput();
    if (reap(false))
        return status_;
    ::kill(pid_, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + grace;
    while (std::chrono::steady_clock::now() < deadline) {
        if (reap(false))
            return status_;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(pid_, SIGKILL);
    reap(true);
    return status_;
}

int ChildProcess::run(const std::string& program, const std::vector<std::string>& arguments) {
    ChildProcess child(program, arguments);
    child.closeInput();
    // Drain its output so that a chatty program cannot block on a full pipe.
    while (child.readLine(std::chrono::hours(1))) {
    }
    return child.wait();
}

} // namespace velto::testing
