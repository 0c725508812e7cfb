// The runner commands against the real node and the runner stand-in of Tests/EndToEnd.
#include "VeltoDevice/Harness/LoginShellPath.hpp"
#include "VeltoDevice/Harness/ProcessRunner.hpp"
#include "VeltoDevice/Runner/ModelCatalogCommand.hpp"
#include "VeltoDevice/Runner/RunnerGenerationCommand.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "CapturingLogSink.hpp"
#include "EndToEndPeer.hpp"
#include "FixedLoginPath.hpp"
#include "ManualClock.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using testing::AsyncTestLoop;
using testing::CapturedLine;
using testing::ManualClock;
using testing::TemporaryFolder;

class RunnerCommandsTest : public ::testing::Test {
protected:
    AsyncTestLoop loop;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::shared_ptr<ProcessRunner> runner = std::make_shared<ProcessRunner>(clock);
    std::shared_ptr<testing::CapturingLogSink> sink = testing::CapturingLogSink::install();
    TemporaryFolder folder;
    fs::path script = testing::EndToEndPeer::directory() / "runner.mjs";
    fs::path started = folder.path() / "started";

    void SetUp() override {
        const char* path = std::getenv("PATH");
        auto found = LoginShellPath::locate("node", path ? path : "");
        if (!found)
            GTEST_SKIP() << "node is not on the PATH";
        node = *found;
    }

    Environment environment(Environment steering) const {
        steering["PATH"] = node.parent_path().string() + ":/usr/bin:/bin";
        steering["VELTO_STAND_IN_STARTED"] = started.string();
        return steering;
    }

    /// Runs `operation`; when the stand-in hangs, advances the clock by `timeout` once it has started.
    template <typename T> T answer(boost::asio::awaitable<T> operation, bool hangs, Clock::Duration timeout) {
        auto outcome = loop.spawn(std::move(operation));
        if (hangs) {
            loop.runUntil([&] { return testing::readPid(started).has_value(); });
            clock->advance(timeout - 1s);
            loop.drain();
            EXPECT_FALSE(outcome->done) << "gave up before the time-out";
            clock->advance(1s);
        }
        loop.runUntil([&] { return outcome->done; });
        if (hangs) {
            EXPECT_TRUE(testing::becomesGone(*testing::readPid(started)))
                << "the hanging node was not stopped";
        }
        return outcome->get();
    }

    std::vector<std::string> runnerLog(LogLevel level) const {
        std::vector<std::string> messages;
        for (const auto& line : sink->lines()) {
            if (line.category == "runner" && line.level == level)
                messages.push_back(line.message);
        }
        return messages;
    }

    fs::path node;
};

TEST_F(RunnerCommandsTest, DeviceGeneration) {
    struct Case {
        std::string what;
        Environment steering;
        std::optional<int> generation;
        std::vector<std::string> info;
        std::vector<std::string> errors;
    };
    const std::vector<Case> cases = {
        {"2", {{"VELTO_STAND_IN_GENERATION", "2"}}, 2, {}, {}},
        {"0", {{"VELTO_STAND_IN_GENERATION", "0"}}, std::nullopt, {}, {}},
        {"-3", {{"VELTO_STAND_IN_GENERATION", "-3"}}, std::nullopt, {}, {}},
        {"a text", {{"VELTO_STAND_IN_GENERATION", "\"2\""}}, std::nullopt, {}, {}},
        {"exit 1",
         {{"VELTO_STAND_IN_EXIT", "1"}},
         std::nullopt,
         {"the runner does not say its generation (exit 1)"},
         {}},
        {"a hang",
         {{"VELTO_STAND_IN_HANG", "1"}},
         std::nullopt,
         {},
         {"device generation did not run: node did not answer in time."}},
    };
    for (const auto& c : cases) {
        sink = testing::CapturingLogSink::install();
        fs::remove(started);
        RunnerGenerationCommand command(node, script, environment(c.steering), runner);
        bool hangs = c.steering.count("VELTO_STAND_IN_HANG") > 0;
        EXPECT_EQ(answer(command.fetch(), hangs, RunnerGenerationCommand::timeout), c.generation) << c.what;
        EXPECT_EQ(runnerLog(LogLevel::info), c.info) << c.what;
        EXPECT_EQ(runnerLog(LogLevel::error), c.errors) << c.what;
    }
}

TEST_F(RunnerCommandsTest, DeviceModels) {
    const std::string catalogLine =
        R"({"models": {"codex": [{"id": "gpt-5", "name": "GPT-5", "efforts": ["high", "low"], "defaultEffort": "low"}]}})";
    const ModelCatalog catalog{
        {{HarnessKind::codex,
          {{"gpt-5", "GPT-5", {ModelEffort::low, ModelEffort::high}, ModelEffort::low}}}}};
    struct Case {
        std::string what;
        Environment steering;
        std::optional<ModelCatalog> catalog;
        std::vector<std::string> info;
        std::vector<std::string> errors;
    };
    const std::vector<Case> cases = {
        {"progress lines before the catalog",
         {{"VELTO_STAND_IN_PROGRESS", R"(["loading models", "{\"progress\": 0.5}"])"},
          {"VELTO_STAND_IN_CATALOG", catalogLine},
          {"VELTO_STAND_IN_STDERR", R"(["warming up", "", "ready"])"}},
         catalog,
         {"device models: warming up", "device models: ready"},
         {}},
        {"a garbage last line",
         {{"VELTO_STAND_IN_CATALOG", catalogLine},
          {"VELTO_STAND_IN_LAST_LINE", "{\"models\": trailing garbage"}},
         catalog,
         {},
         {}},
        {"exit 1",
         {{"VELTO_STAND_IN_CATALOG", catalogLine},
          {"VELTO_STAND_IN_EXIT", "1"},
          {"VELTO_STAND_IN_STDERR", R"(["no harness"])"}},
         std::nullopt,
         {"device models: no harness"},
         {"device models exited 1"}},
        {"no catalog line",
         {{"VELTO_STAND_IN_CATALOG", "[]"}},
         std::nullopt,
         {},
         {"device models printed no catalog"}},
        {"a hang",
         {{"VELTO_STAND_IN_HANG", "1"}},
         std::nullopt,
         {},
         {"device models did not run: node did not answer in time."}},
    };
    for (const auto& c : cases) {
        sink = testing::CapturingLogSink::install();
        fs::remove(started);
        ModelCatalogCommand command(script, environment(c.steering),
                                    std::make_shared<testing::FixedLoginPath>(), runner);
        bool hangs = c.steering.count("VELTO_STAND_IN_HANG") > 0;
        EXPECT_EQ(answer(command.fetch(), hangs, ModelCatalogCommand::timeout), c.catalog) << c.what;
        EXPECT_EQ(runnerLog(LogLevel::info), c.info) << c.what;
        EXPECT_EQ(runnerLog(LogLevel::error), c.errors) << c.what;
    }
}

} // namespace
} // namespace velto
