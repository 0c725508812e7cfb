// Jobs offered by the peer over the session, run by the real job runner on the real node with the
// runner stand-in of Tests/EndToEnd, whose steps each offer's job document chooses.
#include "VeltoDevice/Harness/LoginShellPath.hpp"
#include "VeltoDevice/Harness/ProcessRunner.hpp"
#include "VeltoDevice/Protocol/RunnerFrames.hpp"
#include "VeltoDevice/Runner/DeviceJobRunner.hpp"
#include "VeltoDevice/Runner/JobRelay.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "CapturingLogSink.hpp"
#include "ConnectedDeviceTest.hpp"
#include "FixedLoginPath.hpp"
#include "ScopedEnvironmentVariable.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class JobRunnerEndToEnd : public testing::ConnectedDeviceTest {
protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        if (!LoginShellPath::locate("node", path ? path : ""))
            GTEST_SKIP() << "node is not on the PATH";
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
        ConnectedDeviceTest::SetUp();
        runner = std::make_shared<DeviceJobRunner>(loop.executor(), script, Environment{{"HOME", "/home/me"}},
                                                   16, std::make_shared<testing::FixedLoginPath>(),
                                                   std::make_shared<ProcessRunner>(runnerClock), runnerClock);
        makeConnection(SessionHandlers{runner, nullptr});
        connect();
    }

    void TearDown() override {
        if (runner) {
            loop.run(runner->cancelAll());
            loop.drain();
            runnerClock->advance(DeviceJobRunner::killAfter);
            loop.runUntil([&] { return isIdle(); });
        }
        ConnectedDeviceTest::TearDown();
    }

    bool isIdle() {
        auto lines = sink->messages("runner");
        auto count = [&](std::string_view prefix, std::string_view suffix) {
            return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
                return line.starts_with(prefix) && line.ends_with(suffix);
            });
        };
        return count("started job ", "") == count("job ", " ended");
    }

    /// Offers a runnable review whose stand-in runs `steps`; the offer's job object.
    Json offer(const std::string& jobId, Json steps) {
        Json job = {{"jobId", jobId},
                    {"reviewId", "review-" + jobId},
                    {"harness", "claude-code"},
                    {"repository", {{"owner", "acme"}, {"name", "api"}}},
                    {"standIn", {{"steps", std::move(steps)}}}};
        send({{"v", 1}, {"type", "job.offer"}, {"job", job}});
        return job;
    }

    void send(const Json& frame) { peer.control("POST", "/control/connect/send", {{"frame", frame}}); }

    /// The frames of one job the first session received, once there are at least `count`.
    Json framesOf(const std::string& jobId, std::size_t count) {
        auto select = [&](const Json& sessions) {
            Json frames = Json::array();
            if (sessions.empty())
                return frames;
            for (const auto& frame : sessions[0]["frames"]) {
                if (frame.value("jobId", "") == jobId)
                    frames.push_back(frame);
            }
            return frames;
        };
        return select(sessionsWhen([&](const Json& sessions) { return select(sessions).size() >= count; }));
    }

    static Json failedFinish(const std::string& jobId, int status) {
        return Json::parse(RunnerFrames::failedFinish(jobId, JobRelay::stoppedWithoutResult(status)));
    }

    static Json accept(const std::string& jobId) {
        return {{"v", 1}, {"type", "job.accept"}, {"jobId", jobId}};
    }

    static Json print(Json frame) { return {{"print", std::move(frame)}}; }
    static Json ready() { return print({{"v", 1}, {"type", "job.event"}, {"event", {{"kind", "ready"}}}}); }
    static Json wait() { return {{"wait", true}}; }

    std::shared_ptr<testing::CapturingLogSink> sink = testing::CapturingLogSink::install();
    testing::TemporaryFolder folder;
    fs::path runtime = folder.path() / "runtime";
    testing::ScopedEnvironmentVariable runtimeVariable{"XDG_RUNTIME_DIR", runtime.c_str()};
    fs::path script = testing::EndToEndPeer::directory() / "runner.mjs";
    std::shared_ptr<testing::ManualClock> runnerClock = std::make_shared<testing::ManualClock>();
    std::shared_ptr<DeviceJobRunner> runner;
};

TEST_F(JobRunnerEndToEnd, AnOfferedJobRunsOnTheRunnerWithItsDocumentAndItsToolResults) {
    Json job = offer(
        "job-1",
        Json::array({{{"report", true}},
                     {{"toolCall", {{"callId", "c1"}, {"tool", "read"}, {"input", {{"path", "src/a.ts"}}}}}},
                     {{"finish", {{"status", "done"}, {"finalText", "Looks good."}}}}}));
    Json frames = framesOf("job-1", 3);
    EXPECT_EQ(frames[0], accept("job-1"));

    const Json& report = frames[1];
    EXPECT_EQ(report["type"], "job.event");
    const Json& event = report["event"];
    EXPECT_EQ(event["document"], job) << "the document is the offer's job object";
    ASSERT_EQ(event["arguments"].size(), 5u) << event.dump();
    EXPECT_EQ(event["arguments"][0], script.string());
    EXPECT_EQ(event["arguments"][1], "device");
    EXPECT_EQ(event["arguments"][2], "run");
    EXPECT_EQ(event["arguments"][3], "--job");
    fs::path file = event["arguments"][4].get<std::string>();
    EXPECT_EQ(file.parent_path(), runtime / "velto-jobs");
    EXPECT_EQ(event["folder"], runtime.string());
    EXPECT_EQ(event["fileMode"], "600");
    EXPECT_EQ(event["folderMode"], "700");

    EXPECT_EQ(frames[2], Json::parse(R"({"v":1,"type":"tool.call","jobId":"job-1","callId":"c1","tool":"read",
                                         "input":{"path":"src/a.ts"}})"));
    send(Json::parse(R"({"v":1,"type":"tool.result","jobId":"job-1","callId":"c1","ok":true,
                         "result":{"text":"const a = 1;"}})"));

    frames = framesOf("job-1", 4);
    EXPECT_EQ(frames[3], Json::parse(R"({"v":1,"type":"job.finish","jobId":"job-1",
        "result":{"status":"done","finalText":"Looks good."},
        "toolResults":["{\"callId\":\"c1\",\"ok\":true,\"result\":{\"text\":\"const a = 1;\"},\"type\":\"tool.result\",\"v\":1}"]})"));
    loop.runUntil([&] { return isIdle(); });
    EXPECT_FALSE(fs::exists(file)) << "the job file outlived its job";
    EXPECT_EQ(framesOf("job-1", 4).size(), 4u) << "no failed finish after the runner's own";
}

TEST_F(JobRunnerEndToEnd, ACancelledJobAndARunnerThatStopsWithoutAResultFinishAsFailed) {
    offer("cancelled", Json::array({ready(), wait()}));
    offer("exits", Json::array({{{"stderr", "cannot go on"}}, {{"exit", 1}}}));
    framesOf("cancelled", 2);
    send({{"v", 1}, {"type", "job.cancel"}, {"jobId", "cancelled"}});

    EXPECT_EQ(framesOf("cancelled", 3)[2], failedFinish("cancelled", 15));
    EXPECT_EQ(framesOf("exits", 2)[1], failedFinish("exits", 1));
    loop.runUntil([&] { return isIdle(); });
    auto lines = sink->messages("runner");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "job exits: cannot go on"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "cancelling job cancelled"), lines.end());
}

TEST_F(JobRunnerEndToEnd, ADescendantThatHoldsTheOutputIsKilledFiveSecondsAfterTheRunnersExit) {
    offer("job-1", Json::array({{{"children", 1}}, {{"finish", {{"status", "done"}}}}}));
    Json frames = framesOf("job-1", 3);
    pid_t child = frames[1]["event"]["pids"][0].get<pid_t>();
    EXPECT_EQ(frames[2]["type"], "job.finish");

    loop.runUntil([&] { return runnerClock->sleeperCount() == 1; });
    EXPECT_FALSE(isIdle());
    EXPECT_FALSE(testing::isGone(child));
    loop.drain();
    runnerClock->advance(JobRelay::outputAfterExit);
    loop.runUntil([&] { return isIdle(); });
    EXPECT_TRUE(testing::becomesGone(child));
}

TEST_F(JobRunnerEndToEnd, SixteenJobsRunAtOnceAndASeventeenthIsDeclinedBusy) {
    for (int index = 1; index <= 16; ++index)
        offer("job-" + std::to_string(index), Json::array({ready(), wait()}));
    for (int index = 1; index <= 16; ++index)
        EXPECT_EQ(framesOf("job-" + std::to_string(index), 2)[1]["event"]["kind"], "ready") << index;
    offer("job-17", Json::array({ready()}));
    EXPECT_EQ(framesOf("job-17", 1)[0],
              Json::parse(R"({"v":1,"type":"job.decline","jobId":"job-17","reason":"busy"})"));

    for (int index = 1; index <= 16; ++index)
        send({{"v", 1}, {"type", "job.cancel"}, {"jobId", "job-" + std::to_string(index)}});
    for (int index = 1; index <= 16; ++index) {
        std::string jobId = "job-" + std::to_string(index);
        EXPECT_EQ(framesOf(jobId, 3)[2], failedFinish(jobId, 15));
    }
    loop.runUntil([&] { return isIdle(); });
}

TEST_F(JobRunnerEndToEnd, AClosedSessionCancelsItsJobs) {
    offer("job-1", Json::array({{{"children", 1}}, wait()}));
    pid_t child = framesOf("job-1", 2)[1]["event"]["pids"][0].get<pid_t>();
    peer.control("POST", "/control/connect/close", {{"code", 1000}});

    loop.runUntil([&] { return isIdle(); });
    EXPECT_TRUE(testing::becomesGone(child));
    EXPECT_TRUE(loop.run(runner->isIdle()));
}

} // namespace
} // namespace velto
