#include "VeltoDevice/Harness/ProcessRunner.hpp"
#include "VeltoDevice/Protocol/RunnerFrames.hpp"
#include "VeltoDevice/Runner/DeviceJobRunner.hpp"
#include "VeltoDevice/Runner/JobRelay.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/detached.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "CapturingLogSink.hpp"
#include "FixedLoginPath.hpp"
#include "ManualClock.hpp"
#include "ScopedEnvironmentVariable.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Event = DeviceJobRunner::Event;

boost::asio::awaitable<void> record(std::vector<Json>* frames, std::string text) {
    frames->push_back(Json::parse(text));
    co_return;
}

/// A runner with the fake `node` of the tests (a shell script that records its environment and runs
/// the "script" with /bin/sh) and a runner script whose behaviour the job document names: the document
/// {"behaviour":"NAME"} runs behaviours/NAME.sh, where `frame` prints one line and $DIR is the test's
/// folder. Runs on the test's loop with a manual clock; real processes.
class DeviceJobRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
        fs::create_directories(bin);
        fs::create_directories(behaviours);
        writeNode();
        writeScript();
        loginPath->path = bin.string();
        makeRunner(16, script);
    }

    void TearDown() override {
        if (runner) {
            loop.run(runner->cancelAll());
            loop.drain();
            clock->advance(DeviceJobRunner::killAfter);
        }
        loop.runUntil([&] {
            return std::all_of(started.begin(), started.end(), [&](const auto& id) { return ended(id); });
        });
        runner.reset();
        loop.drain();
    }

    void writeNode() {
        testing::writeShellScript(bin / "node", "/usr/bin/env > '" + (folder.path() / "node-env").string() +
                                                    "'\nPATH=\"$PATH:/usr/bin:/bin\" exec /bin/sh \"$@\"\n");
    }

    void writeScript() {
        testing::writeShellScript(
            script, "DIR='" + folder.path().string() + "'\nb='" + behaviours.string() +
                        "'\n"
                        "frame() { printf '%s\\n' \"$1\"; }\n"
                        "if [ \"$2\" = generation ]; then . \"$b/generation.sh\"; exit; fi\n"
                        "name=$(sed -n 's/^{\"behaviour\":\"\\([a-z0-9-]*\\)\"}$/\\1/p' \"$4\")\n"
                        ". \"$b/$name.sh\"\n");
    }

    void makeRunner(std::size_t capacity, std::optional<fs::path> runnerScript) {
        runner = std::make_unique<DeviceJobRunner>(loop.executor(), std::move(runnerScript), environment,
                                                   capacity, loginPath, processRunner, clock);
    }

    /// Writes behaviours/NAME.sh; the document that chooses it.
    Bytes behaviour(const std::string& name, const std::string& body) const {
        testing::writeExecutable(behaviours / (name + ".sh"), body);
        return toBytes(R"({"behaviour":")" + name + R"("})");
    }

    static ServerMessage::JobOffer offer(const std::string& jobId) {
        ServerMessage::JobOffer offer;
        offer.jobId = jobId;
        offer.harness = "claude-code";
        return offer;
    }

    std::optional<JobDeclineReason> reserve(const std::string& jobId) {
        return loop.run(runner->reserve(offer(jobId)));
    }

    JobRunning::Send sendTo(const std::string& jobId) {
        return [frames = &sent[jobId]](std::string text) { return record(frames, std::move(text)); };
    }

    /// Reserves and starts the job.
    void start(const std::string& jobId, const Bytes& document) {
        ASSERT_EQ(reserve(jobId), std::nullopt) << jobId;
        loop.run(runner->start(jobId, document, sendTo(jobId)));
        started.push_back(jobId);
    }

    /// The error of a start that fails; nothing when it started.
    std::exception_ptr startFailure(const std::string& jobId, const Bytes& document) {
        try {
            loop.run(runner->start(jobId, document, sendTo(jobId)));
        } catch (...) {
            return std::current_exception();
        }
        started.push_back(jobId);
        return nullptr;
    }

    void deliver(const std::string& jobId, const std::string& frame) {
        loop.run(runner->deliver(frame, jobId));
    }

    std::vector<std::string> runnerLog() const { return sink->messages("runner"); }

    bool logged(const std::string& message) const {
        auto lines = runnerLog();
        return std::find(lines.begin(), lines.end(), message) != lines.end();
    }

    bool ended(const std::string& jobId) const { return logged("job " + jobId + " ended"); }
    void waitEnded(const std::string& jobId) {
        loop.runUntil([&] { return ended(jobId); });
    }
    void waitFrames(const std::string& jobId, std::size_t count) {
        loop.runUntil([&] { return sent[jobId].size() >= count; });
    }

    /// How many events each stream holds unread (0 or 1: they keep the newest only), taking them.
    std::pair<std::size_t, std::size_t> takeEvents() {
        auto take = [this](NewestStream<Event>& stream) {
            std::size_t count = stream.bufferedCount();
            if (count > 0)
                loop.run(stream.next());
            return count;
        };
        auto idle = take(runner->idleEvents());
        auto room = take(runner->roomEvents());
        return {idle, room};
    }

    void advance(Clock::Duration duration) {
        loop.drain();
        clock->advance(duration);
        loop.drain();
    }

    static Json failedFinish(const std::string& jobId, int status) {
        return Json::parse(RunnerFrames::failedFinish(jobId, JobRelay::stoppedWithoutResult(status)));
    }

    std::optional<pid_t> pidIn(const std::string& name) const {
        return testing::readPid(folder.path() / name);
    }

    testing::AsyncTestLoop loop;
    testing::TemporaryFolder folder;
    fs::path runtime = folder.path() / "runtime";
    testing::ScopedEnvironmentVariable runtimeVariable{"XDG_RUNTIME_DIR", runtime.c_str()};
    fs::path bin = folder.path() / "bin";
    fs::path behaviours = folder.path() / "behaviours";
    fs::path script = folder.path() / "runner.sh";
    fs::path jobs = runtime / "velto-jobs";
    Environment environment{{"PATH", "/app/bin"}, {"HOME", "/home/me"}, {"LANG", "C.UTF-8"}};
    std::shared_ptr<testing::ManualClock> clock = std::make_shared<testing::ManualClock>();
    std::shared_ptr<testing::FixedLoginPath> loginPath = std::make_shared<testing::FixedLoginPath>("");
    std::shared_ptr<ProcessRunner> processRunner = std::make_shared<ProcessRunner>(clock);
    std::shared_ptr<testing::CapturingLogSink> sink = testing::CapturingLogSink::install();
    std::unique_ptr<DeviceJobRunner> runner;
    std::map<std::string, std::vector<Json>> sent;
    std::vector<std::string> started;
};

TEST_F(DeviceJobRunnerTest, CountsPlacesAndTellsWhenItIsIdleAndHasRoom) {
    using Reason = std::optional<JobDeclineReason>;
    auto reserveAll = [&](int from, int to) {
        for (int index = from; index <= to; ++index)
            ASSERT_EQ(reserve("job-" + std::to_string(index)), std::nullopt) << index;
    };
    auto release = [&](int from, int to) {
        for (int index = from; index <= to; ++index)
            loop.run(runner->release("job-" + std::to_string(index)));
    };
    struct Step {
        std::string what;
        std::function<void()> action;
        std::size_t idle;
        std::size_t room;
    };
    const std::vector<Step> steps = {
        {"sixteen places", [&] { reserveAll(1, 16); }, 0, 0},
        {"a seventeenth is busy", [&] { EXPECT_EQ(reserve("job-17"), Reason(JobDeclineReason::busy)); }, 0,
         0},
        {"a release makes room", [&] { release(16, 16); }, 0, 1},
        {"which the next takes", [&] { reserveAll(17, 17); }, 0, 0},
        {"a reserved id again is busy",
         [&] {
             release(17, 17);
             EXPECT_EQ(reserve("job-1"), Reason(JobDeclineReason::busy));
         },
         0, 1},
        {"holding", [&] { loop.run(runner->holdNewJobs(true)); }, 0, 0},
        {"holds every reservation back",
         [&] { EXPECT_EQ(reserve("job-18"), Reason(JobDeclineReason::busy)); }, 0, 0},
        {"and silences room", [&] { release(15, 15); }, 0, 0},
        {"letting go sends nothing by itself", [&] { loop.run(runner->holdNewJobs(false)); }, 0, 0},
        {"releases while others are reserved", [&] { release(2, 14); }, 0, 1},
        {"the last release", [&] { release(1, 1); }, 1, 1},
        {"an id never reserved", [&] { release(99, 99); }, 1, 1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.action();
        EXPECT_EQ(takeEvents(), std::make_pair(step.idle, step.room));
    }
    EXPECT_TRUE(loop.run(runner->isIdle()));
}

TEST_F(DeviceJobRunnerTest, AReservationHoldsItsPlaceUntilItsJobRunsAndTheJobThenCountsOnce) {
    makeRunner(2, script);
    auto waiting = behaviour("waiting", "IFS= read -r line\nframe '{\"v\":1,\"type\":\"job.finish\"}'\n");
    auto quick = behaviour("quick", "frame '{\"v\":1,\"type\":\"job.finish\"}'\n");

    ASSERT_EQ(reserve("a"), std::nullopt);
    ASSERT_EQ(reserve("b"), std::nullopt);
    loop.run(runner->start("a", waiting, sendTo("a")));
    started.push_back("a");
    EXPECT_EQ(takeEvents(), std::make_pair(std::size_t{0}, std::size_t{0})) << "a start announces nothing";
    EXPECT_EQ(reserve("c"), JobDeclineReason::busy);
    EXPECT_EQ(reserve("a"), JobDeclineReason::busy) << "a running id";

    loop.run(runner->release("b"));
    EXPECT_EQ(takeEvents(), std::make_pair(std::size_t{0}, std::size_t{1}));
    ASSERT_EQ(reserve("c"), std::nullopt);
    EXPECT_EQ(reserve("d"), JobDeclineReason::busy);

    // Cancelling a job that is only reserved does nothing; it still runs.
    loop.run(runner->cancel("c"));
    loop.run(runner->start("c", quick, sendTo("c")));
    started.push_back("c");
    waitEnded("c");
    EXPECT_EQ(sent["c"], std::vector<Json>{Json::parse(R"({"v":1,"type":"job.finish","jobId":"c"})")});
    EXPECT_EQ(takeEvents(), std::make_pair(std::size_t{0}, std::size_t{1}));
    EXPECT_FALSE(logged("cancelling job c"));

    deliver("a", R"({"v":1,"type":"tool.result","jobId":"a","callId":"1","ok":true})");
    waitEnded("a");
    EXPECT_EQ(takeEvents(), std::make_pair(std::size_t{1}, std::size_t{1}));
    EXPECT_TRUE(loop.run(runner->isIdle()));
}

TEST_F(DeviceJobRunnerTest, AStartThatFailsGivesThePlaceBackAndSaysWhy) {
    auto document = behaviour("never", "frame '{\"v\":1,\"type\":\"job.finish\"}'\n");
    const std::string unavailable = "Velto's runner or Node.js is missing on this computer.";
    const std::string folderRefused = "The system did not give Velto a private temporary folder: velto-jobs ";
    struct Case {
        std::string what;
        std::function<void()> breakIt;
        std::string error;
        std::string logLine;
        bool asRoot = false;
    };
    const std::vector<Case> cases = {
        {"node is gone", [&] { fs::remove(bin / "node"); }, unavailable, ""},
        {"the script is gone", [&] { fs::remove(script); }, unavailable, ""},
        {"no script is set", [&] { makeRunner(16, std::nullopt); }, unavailable, ""},
        {"the job folder is a link", [&] { fs::create_directory_symlink(folder.path(), jobs); },
         folderRefused + "is a link.", ""},
        {"the job folder is a file", [&] { testing::writeExecutable(jobs, ""); },
         folderRefused + "is not a folder.", ""},
        {"the job folder is another user's",
         [&] {
             fs::create_directory(jobs);
             ASSERT_EQ(::chown(jobs.c_str(), 65534, 65534), 0);
         },
         folderRefused + "belongs to another user.", "", true},
        {"node cannot be launched",
         [&] { testing::writeExecutable(bin / "node", "#!/nonexistent/interpreter\n"); },
         "The runner on this computer could not start.",
         "could not launch the runner of job job-1: No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.asRoot && ::geteuid() != 0)
            continue; // Only root may give a folder away.
        sink = testing::CapturingLogSink::install();
        fs::remove_all(jobs);
        writeNode();
        writeScript();
        makeRunner(16, script);
        ASSERT_EQ(reserve("job-1"), std::nullopt);
        c.breakIt();
        takeEvents();

        auto failure = startFailure("job-1", document);
        ASSERT_TRUE(failure);
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            EXPECT_EQ(std::string(error.what()), c.error);
        }
        EXPECT_EQ(takeEvents(), std::make_pair(std::size_t{1}, std::size_t{1}));
        EXPECT_TRUE(loop.run(runner->isIdle()));
        EXPECT_EQ(runnerLog(),
                  c.logLine.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.logLine});
        if (fs::is_directory(fs::symlink_status(jobs))) {
            EXPECT_TRUE(fs::is_empty(jobs)) << "a job file was left behind";
        }
        fs::remove_all(jobs);
    }
}

TEST_F(DeviceJobRunnerTest, RelaysTheRunnersFramesAndFinishesForARunnerThatCannot) {
    const std::string event = R"({"v":1,"type":"job.event","jobId":"another","event":{"path":"a/b"}})";
    const std::string finish = R"({"v":1,"type":"job.finish","result":{"status":"done"}})";
    const Json eventFrame = Json::parse(R"({"v":1,"type":"job.event","jobId":"job","event":{"path":"a/b"}})");
    const Json finishFrame =
        Json::parse(R"({"v":1,"type":"job.finish","jobId":"job","result":{"status":"done"}})");
    enum class Then { nothing, cancel, cancelIgnored };
    struct Case {
        std::string what;
        std::string body;
        Then then;
        std::vector<Json> frames;
    };
    const std::vector<Case> cases = {
        {"a finish and exit 0",
         "frame '" + event + "'\nframe '" + finish + "'\n",
         Then::nothing,
         {eventFrame, finishFrame}},
        {"exit 1 without a finish",
         "frame '" + event + "'\nexit 1\n",
         Then::nothing,
         {eventFrame, failedFinish("job", 1)}},
        {"lines after the finish",
         "frame '" + finish + "'\nframe '" + event + "'\n",
         Then::nothing,
         {finishFrame, eventFrame}},
        {"lines that are no frames",
         "frame 'not json'\nframe '{\"v\":2,\"type\":\"job.event\"}'\nframe '{\"v\":1,\"type\":\"hello\"}'\n"
         "frame '[1]'\nprintf '%s' '" +
             event + "'\n",
         Then::nothing,
         {eventFrame, failedFinish("job", 0)}},
        {"a crash",
         "frame '" + event + "'\nulimit -c 0\nkill -SEGV $$\n",
         Then::nothing,
         {eventFrame, failedFinish("job", 11)}},
        {"cancelled",
         "frame '" + event + "'\nsleep 1000\n",
         Then::cancel,
         {eventFrame, failedFinish("job", 15)}},
        {"a cancel ignored",
         "trap '' TERM\nframe '" + event + "'\nsleep 1000\n",
         Then::cancelIgnored,
         {eventFrame, failedFinish("job", 9)}},
    };
    int run = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sink = testing::CapturingLogSink::install();
        std::string jobId = "job";
        sent.clear();
        started.clear();
        ++run;
        start(jobId, behaviour("case-" + std::to_string(run), c.body));
        if (c.then != Then::nothing) {
            waitFrames(jobId, 1);
            loop.run(runner->cancel(jobId));
            EXPECT_TRUE(logged("cancelling job job"));
        }
        if (c.then == Then::cancelIgnored) {
            advance(DeviceJobRunner::killAfter - 1ns);
            EXPECT_FALSE(ended(jobId));
            advance(1ns);
        }
        waitEnded(jobId);
        EXPECT_EQ(sent[jobId], c.frames);
        EXPECT_EQ(logged("job job did not end when cancelled; killed it"), c.then == Then::cancelIgnored);
        loop.drain();
        EXPECT_EQ(clock->sleeperCount(), 0u) << "a timer outlived the job";
    }
}

TEST_F(DeviceJobRunnerTest, LogsTheRunnersStandardErrorLinesWithTheJobsId) {
    start("job-7", behaviour("talkative", "printf 'warming up\\nno line feed' >&2\nexit 0\n"));
    waitEnded("job-7");
    EXPECT_EQ(runnerLog(), (std::vector<std::string>{"started job job-7", "job job-7: warming up",
                                                     "job job-7: no line feed", "job job-7 ended"}));
    EXPECT_EQ(sink->lines()[1].level, LogLevel::info);
}

TEST_F(DeviceJobRunnerTest, OutputADescendantHoldsOpenIsReadForFiveSecondsAfterTheExitThenTheGroupIsKilled) {
    // The helper prints a last line after the runner has exited and then keeps the output open.
    start("job", behaviour("helper", "(sleep 0.2; frame '{\"v\":1,\"type\":\"job.event\",\"late\":true}'; "
                                     "sleep 1000) &\n"
                                     "echo $! > \"$DIR/helper\"\n"
                                     "frame '{\"v\":1,\"type\":\"job.finish\"}'\n"));
    loop.runUntil([&] { return sent["job"].size() == 2 && clock->sleeperCount() == 1; });
    auto helper = pidIn("helper");
    ASSERT_TRUE(helper);
    advance(JobRelay::outputAfterExit - 1ns);
    EXPECT_FALSE(ended("job"));
    EXPECT_FALSE(testing::isGone(*helper));

    advance(1ns);
    waitEnded("job");
    EXPECT_TRUE(testing::becomesGone(*helper)) << "the helper outlived its job";
    EXPECT_EQ(sent["job"], (std::vector<Json>{Json::parse(R"({"v":1,"type":"job.finish","jobId":"job"})"),
                                              Json::parse(R"({"v":1,"type":"job.event","late":true,
                                                              "jobId":"job"})")}));
}

TEST_F(DeviceJobRunnerTest, HandsToolResultsToTheRunnerAsLinesWithoutTheJobId) {
    start("job", behaviour("asking", "IFS= read -r first\nIFS= read -r second\n"
                                     "printf '%s\\n%s\\n' \"$first\" \"$second\" > \"$DIR/received\"\n"
                                     "frame '{\"v\":1,\"type\":\"job.finish\"}'\n"));
    deliver("job", R"({"type":"tool.result","v":1,"jobId":"job","callId":"c1","ok":true,
                       "result":{"z":[1,{"b":"x/y","a":null}],"a":"\u00e9"}})");
    deliver("job", R"({"v":1,"type":"tool.call","jobId":"job","callId":"c9"})");
    deliver("job", "not json");
    deliver("job", R"({"v":1,"type":"tool.result","jobId":"job","callId":"c2","ok":false})");
    waitEnded("job");
    EXPECT_EQ(
        testing::readText(folder.path() / "received"),
        "{\"callId\":\"c1\",\"ok\":true,\"result\":{\"a\":\"\xC3\xA9\",\"z\":[1,{\"a\":null,\"b\":\"x/y\"}]},"
        "\"type\":\"tool.result\",\"v\":1}\n"
        "{\"callId\":\"c2\",\"ok\":false,\"type\":\"tool.result\",\"v\":1}\n");

    auto before = runnerLog();
    deliver("job", R"({"v":1,"type":"tool.result","jobId":"job","callId":"c3","ok":true})");
    deliver("unknown", R"({"v":1,"type":"tool.result","jobId":"unknown","callId":"c3","ok":true})");
    loop.drain();
    EXPECT_EQ(runnerLog(), before) << "a result for a job that does not run is dropped silently";
}

TEST_F(DeviceJobRunnerTest, ARunnerThatDoesNotReadItsResultsHoldsUpNoOtherJob) {
    start("deaf", behaviour("deaf", "frame '{\"v\":1,\"type\":\"job.event\"}'\nsleep 1000\n"));
    waitFrames("deaf", 1);
    const std::string payload(1024 * 1024, 'x');
    const std::string big =
        R"({"v":1,"type":"tool.result","jobId":"deaf","callId":"c","ok":true,"text":")" + payload + "\"}";
    for (int index = 0; index < 18; ++index)
        deliver("deaf", big);
    // The line being written still counts: fifteen lines of just over 1 MiB fit, three do not.
    auto lines = runnerLog();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "could not hand a tool result to job deaf"), 3);

    start("other", behaviour("answering", "IFS= read -r line\nframe '{\"v\":1,\"type\":\"job.finish\"}'\n"));
    deliver("other", R"({"v":1,"type":"tool.result","jobId":"other","callId":"c","ok":true})");
    waitEnded("other");
    EXPECT_EQ(sent["other"],
              std::vector<Json>{Json::parse(R"({"v":1,"type":"job.finish","jobId":"other"})")});
    EXPECT_FALSE(ended("deaf"));
}

TEST_F(DeviceJobRunnerTest, AResultTheRunnerCannotTakeIsDroppedWithAnErrorLine) {
    start("job", behaviour("closed", "exec 0<&-\nframe '{\"v\":1,\"type\":\"job.event\"}'\nsleep 1000\n"));
    waitFrames("job", 1);
    deliver("job", R"({"v":1,"type":"tool.result","jobId":"job","callId":"c","ok":true})");
    loop.runUntil([&] { return logged("could not hand a tool result to job job"); });
    EXPECT_EQ(runnerLog().back(), "could not hand a tool result to job job");
}

TEST_F(DeviceJobRunnerTest, TheJobFileIsPrivateWhileTheJobRunsAndGoneOnceItHasSettled) {
    auto document = behaviour("report", "stat -c %a \"$4\" > \"$DIR/file-mode\"\n"
                                        "stat -c %a \"$(dirname \"$4\")\" > \"$DIR/folder-mode\"\n"
                                        "pwd -P > \"$DIR/folder\"\n"
                                        "printf '%s\\n' \"$0\" \"$@\" > \"$DIR/arguments\"\n"
                                        "cp \"$4\" \"$DIR/document\"\n");
    // The umask cannot take the user's own bits from the file or the folder.
    mode_t umask = ::umask(0277);
    start("job", document);
    ::umask(umask);
    waitEnded("job");

    EXPECT_EQ(testing::readText(folder.path() / "file-mode"), "600\n");
    EXPECT_EQ(testing::readText(folder.path() / "folder-mode"), "700\n");
    EXPECT_EQ(testing::readText(folder.path() / "folder"), fs::canonical(runtime).string() + "\n");
    EXPECT_EQ(testing::readText(folder.path() / "document"), toString(document));

    auto arguments = testing::readText(folder.path() / "arguments").value_or("");
    std::vector<std::string> words;
    for (std::size_t start = 0, end; (end = arguments.find('\n', start)) != std::string::npos;
         start = end + 1)
        words.push_back(arguments.substr(start, end - start));
    ASSERT_EQ(words.size(), 5u) << arguments;
    EXPECT_EQ(words[0], script.string());
    EXPECT_EQ((std::vector<std::string>(words.begin() + 1, words.begin() + 4)),
              (std::vector<std::string>{"device", "run", "--job"}));
    fs::path file = words[4];
    EXPECT_EQ(file.parent_path(), jobs);
    std::string name = file.filename().string();
    ASSERT_EQ(name.size(), 41u) << name;
    EXPECT_EQ(name.substr(36), ".json");
    for (std::size_t index = 0; index < 36; ++index) {
        bool dash = index == 8 || index == 13 || index == 18 || index == 23;
        char c = name[index];
        EXPECT_TRUE(dash ? c == '-' : (std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F')))
            << name;
    }
    EXPECT_FALSE(fs::exists(file)) << "the job file outlived its job";
    EXPECT_TRUE(fs::is_empty(jobs));

    // Exactly the application's environment, with the login PATH (the shell adds PWD).
    auto lines = testing::readText(folder.path() / "node-env").value_or("");
    Environment seen;
    for (std::size_t start = 0, end; (end = lines.find('\n', start)) != std::string::npos; start = end + 1) {
        auto line = lines.substr(start, end - start);
        auto equals = line.find('=');
        seen[line.substr(0, equals)] = line.substr(equals + 1);
    }
    seen.erase("PWD");
    EXPECT_EQ(seen, (Environment{{"PATH", bin.string()}, {"HOME", "/home/me"}, {"LANG", "C.UTF-8"}}));
}

TEST_F(DeviceJobRunnerTest, TheGenerationIsAskedOfTheScriptUntilItFirstAnswers) {
    behaviour("generation", "n=$(cat \"$DIR/asked\" 2>/dev/null || echo 0)\nn=$((n + 1))\n"
                            "echo $n > \"$DIR/asked\"\n[ $n -ge 2 ] || exit 1\n"
                            "printf '{\"generation\": %d}' $((n + 1))\n");
    EXPECT_EQ(loop.run(runner->generation()), 1) << "the first run exits 1";
    EXPECT_EQ(loop.run(runner->generation()), 3);
    EXPECT_EQ(loop.run(runner->generation()), 3);
    EXPECT_EQ(testing::readText(folder.path() / "asked"), "2\n");
    EXPECT_TRUE(loop.run(runner->isAvailable()));
    EXPECT_EQ(loginPath->asked, 1) << "the login PATH is asked for once";

    makeRunner(16, folder.path() / "missing.mjs");
    EXPECT_FALSE(loop.run(runner->isAvailable()));
    EXPECT_EQ(loop.run(runner->generation()), 1);
    EXPECT_EQ(reserve("job"), JobDeclineReason::runnerUnavailable);
    loginPath->path = "/nonexistent";
    makeRunner(16, script);
    EXPECT_FALSE(loop.run(runner->isAvailable()));
    EXPECT_EQ(reserve("job"), JobDeclineReason::runnerUnavailable);
    EXPECT_EQ(testing::readText(folder.path() / "asked"), "2\n");
}

TEST_F(DeviceJobRunnerTest, CancellingAllAndQuittingStopEveryJobsWholeGroup) {
    auto document = behaviour("parent", "sleep 1000 &\necho $! > \"$DIR/child-$(basename \"$4\")\"\n"
                                        "frame '{\"v\":1,\"type\":\"job.event\"}'\nwait\n");
    // The runners' children, taken from the folder.
    auto takeChildren = [&] {
        std::vector<pid_t> children;
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            if (entry.path().filename().string().rfind("child-", 0) != 0)
                continue;
            children.push_back(testing::readPid(entry.path()).value_or(-1));
            fs::remove(entry.path());
        }
        return children;
    };
    for (const std::string jobId : {"a", "b"}) {
        start(jobId, document);
        waitFrames(jobId, 1);
    }
    auto children = takeChildren();
    ASSERT_EQ(children.size(), 2u);
    loop.run(runner->cancelAll());
    waitEnded("a");
    waitEnded("b");
    EXPECT_EQ(sent["a"].back(), failedFinish("a", 15));
    EXPECT_EQ(sent["b"].back(), failedFinish("b", 15));
    for (pid_t child : children)
        EXPECT_TRUE(testing::becomesGone(child));

    start("c", document);
    waitFrames("c", 1);
    children = takeChildren();
    ASSERT_EQ(children.size(), 1u);
    runner.reset();
    EXPECT_TRUE(testing::becomesGone(children[0])) << "quitting left a job's process running";
    waitEnded("c");
}

TEST_F(DeviceJobRunnerTest, StoppingAllForQuittingGivesTheGraceThenKillsAndLeavesNoJobFile) {
    const std::string event = R"(frame '{"v":1,"type":"job.event"}')";
    start("yields", behaviour("yields", event + "\nsleep 1000\n"));
    start("stubborn", behaviour("stubborn", "trap '' TERM\n" + event + "\nsleep 1000\n"));
    // Its helper leaves the group and keeps the output open: the relay waits for it after the exit. The
    // helper names itself only once it has left, so that a slow machine cannot kill it with the group.
    start("escaped",
          behaviour("escaped",
                    "trap '' TERM\nsetsid sh -c 'echo $$ > \"$1\"; exec sleep 1000' sh \"$DIR/escaped\" &\n"
                    "while [ ! -s \"$DIR/escaped\" ]; do sleep 0.01; done\n" +
                        event + "\nsleep 1000\n"));
    for (const std::string jobId : {"yields", "stubborn", "escaped"})
        waitFrames(jobId, 1);
    auto escaped = pidIn("escaped");
    ASSERT_TRUE(escaped);
    ASSERT_EQ(std::distance(fs::directory_iterator(jobs), fs::directory_iterator()), 3);

    bool stopped = false;
    boost::asio::co_spawn(
        loop.executor(),
        [](DeviceJobRunner& jobRunner, bool& done) -> boost::asio::awaitable<void> {
            co_await jobRunner.stopAll(2s);
            done = true;
        }(*runner, stopped),
        boost::asio::detached);
    waitEnded("yields");
    EXPECT_EQ(sent["yields"].back(), failedFinish("yields", 15));
    EXPECT_EQ(reserve("late"), JobDeclineReason::busy) << "a job reserved while quitting";

    advance(2s - 1ns);
    EXPECT_FALSE(ended("stubborn"));
    EXPECT_FALSE(stopped);
    advance(1ns);
    waitEnded("stubborn");
    EXPECT_EQ(sent["stubborn"].back(), failedFinish("stubborn", 9));
    EXPECT_TRUE(logged("job stubborn did not end when the application quit; killed it"));
    EXPECT_FALSE(ended("escaped")) << "its output is still open";
    EXPECT_FALSE(stopped);

    advance(DeviceJobRunner::settleAfterKill);
    loop.runUntil([&] { return stopped; });
    EXPECT_TRUE(logged("job escaped did not settle before the application quit"));
    EXPECT_TRUE(fs::is_empty(jobs)) << "a job file outlived the quit";

    ::kill(*escaped, SIGKILL);
    EXPECT_TRUE(testing::becomesGone(*escaped));
    waitEnded("escaped");
}

} // namespace
} // namespace velto
