#include "VeltoDevice/Harness/HarnessError.hpp"
#include "VeltoDevice/Harness/ProcessRunner.hpp"

#include <boost/asio/cancellation_signal.hpp>
#include <boost/system/system_error.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "HeldPool.hpp"
#include "ManualClock.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using testing::AsyncTestLoop;
using testing::ManualClock;
using testing::TemporaryFolder;

const Environment kPath{{"PATH", "/usr/bin:/bin"}};

class ProcessRunnerTest : public ::testing::Test {
protected:
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    ProcessRunner runner{clock};
    AsyncTestLoop loop;
    TemporaryFolder folder;

    boost::asio::awaitable<ProcessOutput> shell(std::string command, Clock::Duration timeout = 30s,
                                                Environment environment = kPath) {
        std::vector<std::string> arguments{"-c", std::move(command)};
        co_return co_await runner.run("/bin/sh", std::move(arguments), std::move(environment), timeout,
                                      std::nullopt);
    }

    std::filesystem::path file(const std::string& name) const { return folder.path() / name; }
    std::string quoted(const std::string& name) const { return "'" + file(name).string() + "'"; }
};

template <typename T>
void expectHarnessError(const std::shared_ptr<testing::Spawned<T>>& outcome, HarnessError expected) {
    ASSERT_TRUE(outcome->done);
    try {
        outcome->get();
        ADD_FAILURE() << "no error";
    } catch (const HarnessError& error) {
        EXPECT_EQ(error, expected);
        EXPECT_EQ(error.description(), expected.description());
    }
}

TEST_F(ProcessRunnerTest, RunsCommandsToTheirEnd) {
    struct Case {
        std::string name;
        std::string command;
        ProcessOutput expected;
        std::string combined;
    };
    const std::vector<Case> cases = {
        {"no output", "exit 0", {0, "", ""}, "\n"},
        {"both streams", "printf a; printf b >&2", {0, "a", "b"}, "a\nb"},
        {"an exit status", "echo failing >&2; exit 3", {3, "", "failing\n"}, "\nfailing\n"},
        {"input at its end", "if read line; then echo read; else echo end; fi", {0, "end\n", ""}, "end\n\n"},
        {"bytes that are not UTF-8",
         "printf '\\377ok\\342\\202'",
         {0, "\uFFFDok\uFFFD", ""},
         "\uFFFDok\uFFFD\n"},
        {"a death by signal", "kill -TERM $$", {SIGTERM, "", ""}, "\n"},
    };
    for (const auto& c : cases) {
        auto output = loop.run(shell(c.command));
        EXPECT_EQ(output, c.expected) << c.name;
        EXPECT_EQ(output.combined(), c.combined) << c.name;
    }
}

TEST_F(ProcessRunnerTest, GivesTheEnvironmentAndWorkingFolderAsTheyAre) {
    // Nothing of ours is added: no PATH, no HOME.
    auto output = loop.run(runner.run("/usr/bin/env", {}, {}, 30s, std::nullopt));
    EXPECT_EQ(output, (ProcessOutput{0, "", ""}));
    output = loop.run(runner.run("/usr/bin/env", {}, {{"ONLY", "this"}}, 30s, std::nullopt));
    EXPECT_EQ(output, (ProcessOutput{0, "ONLY=this\n", ""}));
    output = loop.run(runner.run("/bin/pwd", {}, {}, 30s, folder.path()));
    EXPECT_EQ(output.standardOutput, folder.path().string() + "\n");
}

TEST_F(ProcessRunnerTest, ACommandThatCannotStartIsALaunchFailure) {
    auto missing = loop.spawn(runner.run("/nonexistent/tool", {}, kPath, 30s, std::nullopt));
    loop.drain();
    expectHarnessError(missing, HarnessError::launchFailed("tool"));
    EXPECT_EQ(HarnessError::launchFailed("tool").description(), "tool could not be started.");

    auto badFolder = loop.spawn(runner.run("/bin/true", {}, kPath, 30s, folder.path() / "missing"));
    loop.drain();
    expectHarnessError(badFolder, HarnessError::launchFailed("true"));
}

TEST_F(ProcessRunnerTest, WithASpawningPoolCommandsStartThereWhileTheCallerGoesOn) {
    testing::HeldPool spawning;
    ProcessRunner pooled(clock, spawning.executor());
    auto started = loop.spawn(pooled.run("/bin/sh", {"-c", "printf pooled"}, kPath, 30s, std::nullopt));
    auto missing = loop.spawn(pooled.run("/nonexistent/tool", {}, kPath, 30s, std::nullopt));
    loop.drain();
    EXPECT_FALSE(started->done);
    EXPECT_FALSE(missing->done);

    spawning.release();
    loop.runUntil([&] { return started->done && missing->done; });
    EXPECT_EQ(started->get(), (ProcessOutput{0, "pooled", ""}));
    expectHarnessError(missing, HarnessError::launchFailed("tool"));
}

TEST_F(ProcessRunnerTest, ATimeOutKillsTheWholeGroupAndLeavesNoZombie) {
    auto run = loop.spawn(shell(
        "echo $$ > " + quoted("child") + "; sleep 1000 & echo $! > " + quoted("grandchild") + "; wait", 5s));
    loop.runUntil([&] { return testing::readPid(file("child")) && testing::readPid(file("grandchild")); });
    auto child = *testing::readPid(file("child"));
    auto grandchild = *testing::readPid(file("grandchild"));
    clock->advance(4s);
    loop.drain();
    EXPECT_FALSE(run->done);

    clock->advance(1s);
    loop.runUntil([&] { return run->done; });
    expectHarnessError(run, HarnessError::timedOut("sh"));
    EXPECT_EQ(HarnessError::timedOut("sh").description(), "sh did not answer in time.");
    EXPECT_TRUE(testing::becomesGone(grandchild));
    // Reaped beside the caller, not left a zombie.
    loop.runUntil([&] { return !std::filesystem::exists("/proc/" + std::to_string(child)); });
}

TEST_F(ProcessRunnerTest, ReturnsRightAfterTheExitWhileAChildHoldsThePipe) {
    auto output = loop.run(shell("sleep 1000 & echo $! > " + quoted("background") + "; echo done"));
    EXPECT_EQ(output, (ProcessOutput{0, "done\n", ""}));
    auto background = testing::readPid(file("background"));
    ASSERT_TRUE(background);
    EXPECT_FALSE(testing::isGone(*background)) << "the background child is not the run's to stop";
    ::kill(*background, SIGKILL);
}

TEST_F(ProcessRunnerTest, AChattyChildAfterTheExitIsCutOff) {
    auto run = loop.spawn(shell("yes & echo $! > " + quoted("chatty") + "; exit 0"));
    loop.runUntil([&] { return run->done; });
    if (auto chatty = testing::readPid(file("chatty")))
        ::kill(*chatty, SIGKILL);
    try {
        auto output = run->get();
        EXPECT_EQ(output.exitCode, 0);
        EXPECT_LE(output.standardOutput.size(),
                  ProcessRunner::outputLimit + ProcessRunner::afterExitLimit + 2 * 65536);
    } catch (const HarnessError& error) {
        // A loaded machine can run the child past the limit before the shell's exit is seen: that
        // run is cut as a time-out, which also ends it.
        EXPECT_EQ(error, HarnessError::timedOut("sh"));
    }
}

// Writes blocks to standard output without end, each filled with a letter for the state of the
// process named by the first argument when the block was begun: A while it runs, Z once it has
// exited, B once it has been reaped. With a second argument, it ends that process with SIGTERM once
// 256 KiB are written and the process has become sleep, so the exit comes while the pipe is kept
// full.
constexpr std::string_view kLabelledWriter = R"(#!/usr/bin/perl
use strict;
use warnings;
my ($leader, $ends) = @ARGV;
my $phase = 'A';
my $written = 0;
while (1) {
    if ($phase ne 'B') {
        if (open(my $stat, '<', "/proc/$leader/stat")) {
            my $text = <$stat> // '';
            close($stat);
            $phase = 'Z' if substr($text, rindex($text, ')') + 2, 1) eq 'Z';
        } else {
            $phase = 'B';
        }
    }
    my $count = syswrite(STDOUT, $phase x 16384);
    exit 0 unless defined $count;
    $written += $count;
    if ($ends && $written >= 262144 && open(my $comm, '<', "/proc/$leader/comm")) {
        my $name = <$comm> // '';
        close($comm);
        if ($name eq "sleep\n") {
            kill 'TERM', $leader;
            $ends = 0;
        }
    }
}
)";

TEST_F(ProcessRunnerTest, DescendantsWritingWithoutEndAfterTheExitAreCutOffAtTheLimit) {
    auto writer = testing::writeExecutable(file("writer"), kLabelledWriter);
    const std::string command = "'" + writer.string() + "' $$ ends & echo $! > " + quoted("output-writer") +
                                "; '" + writer.string() + "' $$ >&2 & echo $! > " + quoted("errors-writer") +
                                "; exec sleep 1000";
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        auto output = loop.run(shell(command, 1000s));
        EXPECT_EQ(output.exitCode, SIGTERM);
        auto count = [&](char phase) {
            return std::count(output.standardOutput.begin(), output.standardOutput.end(), phase) +
                   std::count(output.standardError.begin(), output.standardError.end(), phase);
        };
        // Everything written once the exit was reaped is read after the runner saw it.
        EXPECT_LE(static_cast<std::size_t>(count('B')), ProcessRunner::afterExitLimit);
        // Between the exit and the turn of the I/O context that sees it, a few reads of 64 KiB may
        // still take what came after it; a drain that does not yield reads megabytes more.
        EXPECT_LE(static_cast<std::size_t>(count('Z') + count('B')),
                  ProcessRunner::afterExitLimit + 8 * 65536);
        for (const char* name : {"output-writer", "errors-writer"}) {
            auto pid = testing::readPid(file(name));
            ASSERT_TRUE(pid) << name;
            EXPECT_TRUE(testing::becomesGone(*pid)) << name << " is left once its pipe is closed";
            ::kill(*pid, SIGKILL);
        }
    }
}

TEST_F(ProcessRunnerTest, OutputPastTheLimitBeforeTheExitIsATimeOut) {
    auto exactly =
        loop.run(runner.run("/usr/bin/head", {"-c", std::to_string(ProcessRunner::outputLimit), "/dev/zero"},
                            kPath, 30s, std::nullopt));
    EXPECT_EQ(exactly.exitCode, 0);
    EXPECT_EQ(exactly.standardOutput.size(), ProcessRunner::outputLimit);

    auto over = loop.spawn(runner.run("/usr/bin/head", {"-c", std::to_string(17 * 1024 * 1024), "/dev/zero"},
                                      kPath, 30s, std::nullopt));
    loop.runUntil([&] { return over->done; });
    expectHarnessError(over, HarnessError::timedOut("head"));
}

TEST_F(ProcessRunnerTest, AChildSeesOnlyItsStandardDescriptorsWhileOtherRunsAreOpen) {
    auto first = loop.spawn(shell("sleep 1000", 100s));
    auto second = loop.spawn(shell("sleep 1000", 100s));
    loop.drain();
    auto listing = loop.run(shell("ls /proc/$$/fd; :"));
    EXPECT_EQ(listing.standardOutput, "0\n1\n2\n");

    clock->advance(100s);
    loop.runUntil([&] { return first->done && second->done; });
    expectHarnessError(first, HarnessError::timedOut("sh"));
}

TEST_F(ProcessRunnerTest, CancellingTheCallerKillsTheCommandAndReturnsAtOnce) {
    boost::asio::cancellation_signal signal;
    auto run = loop.spawn(shell("echo $$ > " + quoted("child") + "; exec sleep 1000", 1000s), signal.slot());
    loop.runUntil([&] { return testing::readPid(file("child")).has_value(); });
    auto child = *testing::readPid(file("child"));

    signal.emit(boost::asio::cancellation_type::terminal);
    loop.runUntil([&] { return run->done; });
    try {
        run->get();
        ADD_FAILURE() << "not cancelled";
    } catch (const boost::system::system_error& error) {
        EXPECT_EQ(error.code(), boost::asio::error::operation_aborted);
    }
    loop.runUntil([&] { return !std::filesystem::exists("/proc/" + std::to_string(child)); });
}

} // namespace
} // namespace velto
