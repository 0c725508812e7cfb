// The process runner against bare system calls, in wall-clock time:
//   - /bin/true from spawn to result, p50 and p99 over 1,000 runs, against posix_spawn and waitid
//     (goal: at most 1.5 times as long);
//   - draining 16 MiB of standard output, against a blocking read loop on a pipe (goal: at least
//     0.8 times the throughput).
// Prints one line per figure with its goal and exits with 1 when one is missed.
//
//   ProcessMeasurement [--runs N]   (default 1000)
#include "VeltoDevice/Harness/ProcessRunner.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"

#include <boost/asio/io_context.hpp>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "Measurement.hpp"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using velto::Environment;
using velto::ProcessRunner;
using velto::benchmarks::percentile;
using velto::benchmarks::runToEnd;

constexpr double spawnGoal = 1.5;
constexpr double drainGoal = 0.8;
constexpr std::size_t drainBytes = 16 * 1024 * 1024;
constexpr int drainRounds = 15;

double microseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::micro>(duration).count();
}

double median(std::vector<double> values) {
    return percentile(std::move(values), 0.5);
}

/// posix_spawn and waitid, nothing else: the floor of starting a program and taking its exit.
double bareTrue() {
    auto start = Clock::now();
    pid_t pid = 0;
    char program[] = "/bin/true";
    char* argv[] = {program, nullptr};
    char* envp[] = {nullptr};
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, envp) != 0)
        throw std::runtime_error("posix_spawn failed");
    siginfo_t info{};
    while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED) != 0) {
    }
    return microseconds(Clock::now() - start);
}

double runnerTrue(boost::asio::io_context& context, ProcessRunner& runner) {
    auto start = Clock::now();
    auto output = runToEnd(context, runner.run("/bin/true", {}, {}, 30s, std::nullopt));
    if (output.exitCode != 0)
        throw std::runtime_error("/bin/true failed");
    return microseconds(Clock::now() - start);
}

/// head writing 16 MiB (in pieces of a few KiB, as tools write) into a pipe that is read with
/// blocking reads of 64 KiB into one string.
double bareDrain() {
    auto start = Clock::now();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe2 failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    std::string count = std::to_string(drainBytes);
    char program[] = "/usr/bin/head";
    char c[] = "-c";
    char zero[] = "/dev/zero";
    char* argv[] = {program, c, count.data(), zero, nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program, &actions, nullptr, argv, environ) != 0)
        throw std::runtime_error("posix_spawn failed");
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string collected;
    std::vector<char> chunk(65536);
    for (;;) {
        ssize_t read = ::read(fds[0], chunk.data(), chunk.size());
        if (read <= 0)
            break;
        collected.append(chunk.data(), static_cast<std::size_t>(read));
    }
    close(fds[0]);
    siginfo_t info{};
    while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED) != 0) {
    }
    if (collected.size() != drainBytes)
        throw std::runtime_error("the bare drain lost bytes");
    return microseconds(Clock::now() - start);
}

/// The size of the run's standard output; the output itself stays inside the coroutine, so that
/// nothing of the measurement's own copies it.
boost::asio::awaitable<std::size_t> drainedSize(ProcessRunner& runner, std::filesystem::path executable,
                                                std::vector<std::string> arguments) {
    auto output =
        co_await runner.run(std::move(executable), std::move(arguments), Environment{}, 30s, std::nullopt);
    co_return output.standardOutput.size();
}

double runnerDrain(boost::asio::io_context& context, ProcessRunner& runner) {
    auto start = Clock::now();
    auto size = runToEnd(
        context, drainedSize(runner, "/usr/bin/head", {"-c", std::to_string(drainBytes), "/dev/zero"}));
    if (size != drainBytes)
        throw std::runtime_error("the runner lost bytes");
    return microseconds(Clock::now() - start);
}

bool report(const std::string& figure, double ratio, bool atMost, double goal) {
    bool met = atMost ? ratio <= goal : ratio >= goal;
    std::cout << figure << ": " << std::setprecision(2) << ratio << "x (goal "
              << (atMost ? "at most " : "at least ") << goal << "x: " << (met ? "met" : "MISSED") << ")\n";
    return met;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 1000;
    for (int index = 1; index + 1 < argc; ++index) {
        if (std::string(argv[index]) == "--runs")
            runs = std::max(10, std::atoi(argv[index + 1]));
    }

    boost::asio::io_context context;
    ProcessRunner runner(velto::SystemClock::shared());

    // Warm both paths (page cache, the runner's first spawn) before measuring.
    for (int i = 0; i < 20; ++i) {
        bareTrue();
        runnerTrue(context, runner);
    }
    std::vector<double> bare, ours;
    // Interleaved, so that a slower moment of the machine weighs on both alike.
    for (int i = 0; i < runs; ++i) {
        bare.push_back(bareTrue());
        ours.push_back(runnerTrue(context, runner));
    }

    std::vector<double> bareDrains, ourDrains;
    for (int i = 0; i < drainRounds; ++i) {
        bareDrains.push_back(bareDrain());
        ourDrains.push_back(runnerDrain(context, runner));
    }

    std::cout << std::fixed << std::setprecision(1);
    double bareP50 = percentile(bare, 0.5), oursP50 = percentile(ours, 0.5);
    double bareP99 = percentile(bare, 0.99), oursP99 = percentile(ours, 0.99);
    std::cout << "/bin/true spawn to result over " << runs << " runs: process runner p50 " << oursP50
              << " us, p99 " << oursP99 << " us; posix_spawn + waitid p50 " << bareP50 << " us, p99 "
              << bareP99 << " us\n";
    bool met = report("process runner /bin/true p50 / bare p50", oursP50 / bareP50, true, spawnGoal);
    met = report("process runner /bin/true p99 / bare p99", oursP99 / bareP99, true, spawnGoal) && met;

    double mebibytes = static_cast<double>(drainBytes) / (1024.0 * 1024.0);
    double bareRate = mebibytes / (median(bareDrains) / 1e6);
    double ourRate = mebibytes / (median(ourDrains) / 1e6);
    std::cout << "16 MiB of standard output (median of " << drainRounds << "): process runner " << ourRate
              << " MiB/s, bare read loop " << bareRate << " MiB/s\n";
    met = report("process runner drain / bare read loop", ourRate / bareRate, false, drainGoal) && met;
    return met ? 0 : 1;
}
