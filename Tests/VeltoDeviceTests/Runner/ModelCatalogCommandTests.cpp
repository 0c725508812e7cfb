#include "VeltoDevice/Harness/HarnessError.hpp"
#include "VeltoDevice/Runner/ModelCatalogCommand.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "CapturingLogSink.hpp"
#include "FixedLoginPath.hpp"
#include "RecordingProcessRunner.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using testing::AsyncTestLoop;
using testing::TemporaryFolder;

using ScriptedRunner = testing::RecordingProcessRunner;

class ModelCatalogCommandTest : public ::testing::Test {
protected:
    AsyncTestLoop loop;
    TemporaryFolder folder;
    std::shared_ptr<ScriptedRunner> runner = std::make_shared<ScriptedRunner>();
    std::shared_ptr<testing::CapturingLogSink> sink = testing::CapturingLogSink::install();
    fs::path script = testing::writeExecutable(folder.path() / "velto-runner.mjs", "// the runner\n");
    fs::path bin = folder.path() / "bin";

    void SetUp() override {
        fs::create_directories(bin);
        testing::writeShellScript(bin / "node", "exit 0\n");
    }

    std::optional<ModelCatalog> fetch(std::optional<fs::path> runnerScript, std::string path) {
        ModelCatalogCommand command(std::move(runnerScript), {{"PATH", "/app/bin"}, {"HOME", "/home/me"}},
                                    std::make_shared<testing::FixedLoginPath>(std::move(path)), runner);
        return loop.run(command.fetch());
    }
};

TEST_F(ModelCatalogCommandTest, WithoutAScriptOrNodeNothingRunsAndNothingIsLogged) {
    EXPECT_EQ(fetch(std::nullopt, bin.string()), std::nullopt);
    EXPECT_EQ(fetch(folder.path() / "missing.mjs", bin.string()), std::nullopt);
    EXPECT_EQ(fetch(script, "/usr/nonexistent"), std::nullopt);
    EXPECT_TRUE(runner->runs.empty());
    EXPECT_TRUE(sink->messages("runner").empty());
}

TEST_F(ModelCatalogCommandTest, RunsDeviceModelsWithTheLoginPath) {
    runner->output =
        ProcessOutput{0, R"({"models": {"muse": [{"id": "m", "name": "M", "efforts": []}]}})", ""};
    auto catalog = fetch(script, "/usr/nonexistent:" + bin.string());
    EXPECT_EQ(catalog, (ModelCatalog{{{HarnessKind::muse, {{"m", "M", {}, std::nullopt}}}}}));
    ASSERT_EQ(runner->runs.size(), 1u);
    const auto& run = runner->runs[0];
    EXPECT_EQ(run.executable, bin / "node");
    EXPECT_EQ(run.arguments, (std::vector<std::string>{script.string(), "device", "models"}));
    EXPECT_EQ(run.environment,
              (Environment{{"PATH", "/usr/nonexistent:" + bin.string()}, {"HOME", "/home/me"}}));
    EXPECT_EQ(run.timeout, std::chrono::seconds(30));
    ASSERT_TRUE(run.currentDirectory);
    EXPECT_TRUE(fs::is_directory(*run.currentDirectory));
}

TEST_F(ModelCatalogCommandTest, LogsWhyThereIsNoCatalog) {
    struct Case {
        std::optional<ProcessOutput> output;
        std::vector<std::string> log;
    };
    const std::vector<Case> cases = {
        {std::nullopt, {"device models did not run: node did not answer in time."}},
        {ProcessOutput{1, "", "first\r\n\nsecond\n"},
         {"device models: first", "device models: second", "device models exited 1"}},
        {ProcessOutput{0, "progress\nnot json\n", ""}, {"device models printed no catalog"}},
    };
    for (const auto& c : cases) {
        auto captured = testing::CapturingLogSink::install();
        runner->output = c.output;
        EXPECT_EQ(fetch(script, bin.string()), std::nullopt);
        EXPECT_EQ(captured->messages("runner"), c.log);
    }
}

} // namespace
} // namespace velto
