#include "VeltoDevice/Support/SpawnedProcess.hpp"

#include <boost/asio/error.hpp>
#include <boost/system/system_error.hpp>
#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <pthread.h>
#include <sstream>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

using testing::AsyncTestLoop;
using testing::TemporaryFolder;

boost::asio::awaitable<std::string> readAll(PipeEnd& pipe) {
    std::string text;
    std::array<std::uint8_t, 4096> buffer{};
    while (std::size_t count = co_await pipe.readSome(buffer))
        text.append(reinterpret_cast<const char*>(buffer.data()), count);
    co_return text;
}

struct Finished {
    std::string output;
    std::string errors;
    int exitCode = 0;
};

/// Reads both outputs to their end, then waits for the exit.
boost::asio::awaitable<Finished> finish(std::shared_ptr<SpawnedProcess> process) {
    Finished finished;
    if (process->output)
        finished.output = co_await readAll(*process->output);
    if (process->errors)
        finished.errors = co_await readAll(*process->errors);
    finished.exitCode = co_await process->exit();
    co_return finished;
}

ProcessLaunch shell(std::string command, Environment environment = {{"PATH", "/usr/bin:/bin"}}) {
    ProcessLaunch launch;
    launch.executable = "/bin/sh";
    launch.arguments = {"-c", std::move(command)};
    launch.environment = std::move(environment);
    return launch;
}

/// The value of a "Name:\tvalue" line of /proc/<pid>/status text.
std::string statusField(const std::string& status, const std::string& name) {
    std::istringstream lines(status);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(name + ":", 0) == 0)
            return line.substr(line.find_first_not_of(" \t", name.size() + 1));
    }
    return {};
}

TEST(SpawnedProcess, HandsBackBothOutputsAndTheExitStatus) {
    AsyncTestLoop loop;
    auto process = SpawnedProcess::spawn(loop.executor(), shell("printf out; printf err >&2; exit 3", {}));
    auto finished = loop.run(finish(process));
    EXPECT_EQ(finished.output, "out");
    EXPECT_EQ(finished.errors, "err");
    EXPECT_EQ(finished.exitCode, 3);
    EXPECT_TRUE(process->isReaped());
    EXPECT_EQ(process->exitCode(), 3);
    // Reaped: the answer stays, and its group is no longer signalled.
    EXPECT_EQ(loop.run(process->exit()), 3);
    EXPECT_FALSE(process->signalGroup(SIGTERM));
    EXPECT_FALSE(process->signalLeader(SIGTERM));
}

TEST(SpawnedProcess, GivesTheChildExactlyItsEnvironment) {
    AsyncTestLoop loop;
    ProcessLaunch launch;
    launch.executable = "/usr/bin/env";
    launch.environment = {{"A", "1"}, {"B", "two words"}};
    EXPECT_EQ(loop.run(finish(SpawnedProcess::spawn(loop.executor(), launch))).output, "A=1\nB=two words\n");

    launch.environment = {};
    EXPECT_EQ(loop.run(finish(SpawnedProcess::spawn(loop.executor(), launch))).output, "");
}

TEST(SpawnedProcess, ADeathBySignalReportsTheSignalsNumber) {
    AsyncTestLoop loop;
    EXPECT_EQ(loop.run(finish(SpawnedProcess::spawn(loop.executor(), shell("kill -TERM $$")))).exitCode,
              SIGTERM);

    ProcessLaunch sleeper;
    sleeper.executable = "/bin/sleep";
    sleeper.arguments = {"1000"};
    auto process = SpawnedProcess::spawn(loop.executor(), sleeper);
    EXPECT_TRUE(process->signalLeader(SIGKILL));
    EXPECT_EQ(loop.run(finish(process)).exitCode, SIGKILL);
}

TEST(SpawnedProcess, TheChildLeadsItsOwnSessionWithoutATerminal) {
    AsyncTestLoop loop;
    ProcessLaunch launch;
    launch.executable = "/bin/cat";
    launch.arguments = {"/proc/self/stat"};
    auto process = SpawnedProcess::spawn(loop.executor(), launch);
    auto stat = loop.run(finish(process)).output;
    // pid (comm) state ppid pgrp session tty_nr ...
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string state;
    long parent = 0, group = 0, session = 0, terminal = -1;
    fields >> state >> parent >> group >> session >> terminal;
    EXPECT_EQ(parent, ::getpid());
    EXPECT_EQ(group, process->pid());
    EXPECT_EQ(session, process->pid());
    EXPECT_EQ(terminal, 0);
}

TEST(SpawnedProcess, TheChildStartsWithDefaultSignalsAndNoneBlocked) {
    AsyncTestLoop loop;
    // What the parent has set must not reach the child: a blocked signal, an ignored one, and the
    // library's own ignored SIGPIPE.
    sigset_t blocked, previousMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &blocked, &previousMask);
    struct sigaction ignore {
    }, previousAction{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGINT, &ignore, &previousAction);

    ProcessLaunch launch;
    launch.executable = "/bin/cat";
    launch.arguments = {"/proc/self/status"};
    auto status = loop.run(finish(SpawnedProcess::spawn(loop.executor(), launch))).output;

    ::sigaction(SIGINT, &previousAction, nullptr);
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);

    EXPECT_EQ(statusField(status, "SigBlk"), "0000000000000000");
    // glibc's spawn leaves its own two internal signals (32 and 33, below SIGRTMIN) ignored; no
    // program can use them. Every other signal is at its default.
    auto ignored = std::stoull(statusField(status, "SigIgn"), nullptr, 16);
    EXPECT_EQ(ignored & ~((1ull << 31) | (1ull << 32)), 0u) << statusField(status, "SigIgn");

    struct sigaction pipeAction {};
    ::sigaction(SIGPIPE, nullptr, &pipeAction);
    EXPECT_EQ(pipeAction.sa_handler, SIG_IGN) << "SIGPIPE is ignored once a child has been spawned";
}

TEST(SpawnedProcess, NoDescriptorOfOursReachesAChild) {
    AsyncTestLoop loop;
    // One descriptor opened without close-on-exec, and the pipes of another child still running.
    int leaked = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(leaked, 0);
    ProcessLaunch other = shell("read line");
    other.input = ProcessLaunch::Stream::pipe;
    auto running = SpawnedProcess::spawn(loop.executor(), other);

    auto listing = loop.run(finish(SpawnedProcess::spawn(loop.executor(), shell("ls /proc/$$/fd; :"))));
    EXPECT_EQ(listing.output, "0\n1\n2\n");

    ::close(leaked);
    running->input->close();
    EXPECT_EQ(loop.run(finish(running)).exitCode, 1);
}

TEST(SpawnedProcess, InputIsTheNullDeviceOrAPipe) {
    AsyncTestLoop loop;
    ProcessLaunch launch;
    launch.executable = "/bin/cat";
    auto finished = loop.run(finish(SpawnedProcess::spawn(loop.executor(), launch)));
    EXPECT_EQ(finished.output, "");
    EXPECT_EQ(finished.exitCode, 0);

    launch.input = ProcessLaunch::Stream::pipe;
    auto process = SpawnedProcess::spawn(loop.executor(), launch);
    loop.run(process->input->write("hello"));
    process->input->close();
    EXPECT_EQ(loop.run(finish(process)).output, "hello");
}

TEST(SpawnedProcess, AWriteToAChildThatHasGoneIsABrokenPipe) {
    AsyncTestLoop loop;
    ProcessLaunch launch;
    launch.executable = "/bin/true";
    launch.input = ProcessLaunch::Stream::pipe;
    auto process = SpawnedProcess::spawn(loop.executor(), launch);
    loop.run(process->exit());
    try {
        loop.run(process->input->write("late"));
        FAIL() << "the write succeeded";
    } catch (const boost::system::system_error& error) {
        EXPECT_EQ(error.code(), boost::asio::error::broken_pipe);
    }
}

TEST(SpawnedProcess, RunsInTheGivenWorkingFolder) {
    AsyncTestLoop loop;
    TemporaryFolder folder;
    ProcessLaunch launch;
    launch.executable = "/bin/pwd";
    launch.workingDirectory = folder.path();
    EXPECT_EQ(loop.run(finish(SpawnedProcess::spawn(loop.executor(), launch))).output,
              folder.path().string() + "\n");
}

TEST(SpawnedProcess, ReportsWhyAChildCouldNotStart) {
    AsyncTestLoop loop;
    TemporaryFolder folder;
    auto notExecutable = folder.path() / "plain";
    testing::writeShellScript(notExecutable, "exit 0\n");
    ::chmod(notExecutable.c_str(), 0644);

    struct Case {
        std::string name;
        ProcessLaunch launch;
        int error;
    };
    auto with = [](auto change) {
        ProcessLaunch launch;
        launch.executable = "/bin/true";
        change(launch);
        return launch;
    };
    const std::vector<Case> cases = {
        {"missing", with([](auto& l) { l.executable = "/nonexistent/tool"; }), ENOENT},
        {"relative", with([](auto& l) { l.executable = "bin/true"; }), EINVAL},
        {"not executable", with([&](auto& l) { l.executable = notExecutable; }), EACCES},
        {"missing working folder", with([](auto& l) { l.workingDirectory = "/nonexistent/folder"; }), ENOENT},
        {"NUL in an argument", with([](auto& l) { l.arguments = {std::string("a\0b", 3)}; }), EINVAL},
        {"= in a name", with([](auto& l) {
             l.environment = {{"A=B", "c"}};
         }),
         EINVAL},
    };
    for (const auto& c : cases) {
        try {
            SpawnedProcess::spawn(loop.executor(), c.launch);
            ADD_FAILURE() << c.name << ": started";
        } catch (const std::system_error& error) {
            EXPECT_EQ(error.code().value(), c.error) << c.name;
        }
    }
}

TEST(SpawnedProcess, SignalsTheWholeGroupWhileTheLeaderIsUnreaped) {
    AsyncTestLoop loop;
    TemporaryFolder folder;
    auto grandchildFile = folder.path() / "grandchild";
    auto process = SpawnedProcess::spawn(
        loop.executor(), shell("sleep 1000 & echo $! > '" + grandchildFile.string() + "'; wait"));
    loop.runUntil([&] { return testing::readPid(grandchildFile).has_value(); });
    auto grandchild = *testing::readPid(grandchildFile);

    EXPECT_TRUE(process->signalGroup(SIGKILL));
    EXPECT_EQ(loop.run(finish(process)).exitCode, SIGKILL);
    EXPECT_TRUE(testing::becomesGone(grandchild));
    EXPECT_FALSE(process->signalGroup(SIGKILL)) << "a reaped leader's group id may have been reused";
}

TEST(SpawnedProcess, AnExitCanBeAwaitedWithoutReapingSoThatTheGroupCanStillBeSignalled) {
    AsyncTestLoop loop;
    TemporaryFolder folder;
    auto pidFile = folder.path() / "child";
    auto process = SpawnedProcess::spawn(
        loop.executor(), shell("sleep 1000 >/dev/null 2>&1 & echo $! > '" + pidFile.string() + "'; exit 4"));
    EXPECT_EQ(loop.run(process->exited()), 4);
    EXPECT_FALSE(process->isReaped());
    auto child = testing::readPid(pidFile);
    ASSERT_TRUE(child);
    EXPECT_FALSE(testing::isGone(*child));

    EXPECT_TRUE(process->signalGroup(SIGKILL));
    EXPECT_TRUE(testing::becomesGone(*child));
    EXPECT_EQ(loop.run(process->exit()), 4);
    EXPECT_TRUE(process->isReaped());
    EXPECT_EQ(loop.run(process->exited()), 4);
}

TEST(SpawnedProcess, AChildNobodyWaitsForIsStillReaped) {
    AsyncTestLoop loop;
    ProcessLaunch launch;
    launch.executable = "/bin/true";
    launch.output = ProcessLaunch::Stream::nullDevice;
    launch.errors = ProcessLaunch::Stream::nullDevice;
    auto process = SpawnedProcess::spawn(loop.executor(), launch);
    EXPECT_FALSE(process->output || process->errors || process->input);
    auto pid = process->pid();
    std::weak_ptr<SpawnedProcess> watched = process;
    process->reapInBackground();
    process.reset();
    loop.runUntil([&] { return watched.expired(); });
    EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pid))) << "no zombie is left";
}

} // namespace
} // namespace velto
