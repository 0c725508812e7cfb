#include "VeltoDevice/Agents/AgentCommandRunning.hpp"
#include "VeltoDevice/Agents/AgentIntegrationError.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "AsyncTestLoop.hpp"
#include "ScriptedCommand.hpp"

namespace velto {
namespace {

using testing::AsyncTestLoop;
using testing::ScriptedCommand;

TEST(AgentCommandRunning, SucceedRefusesEveryExitButZeroWithTheToolsWordsOrTheCommandLine) {
    struct Row {
        const char* name;
        ProcessOutput output;
        std::optional<std::string> refusal; // nothing: success
    };
    const Row rows[] = {
        {"status 1, no output", {1, "", ""}, "plugin install velto@velto-for-mac failed."},
        {"status 1, only blanks and empty lines",
         {1, "  \n\n\t", " \r\n "},
         "plugin install velto@velto-for-mac failed."},
        {"output and error", {2, "x", "y"}, "x\ny"},
        {"error alone, trimmed", {3, "", "  denied\n"}, "denied"},
        {"output alone keeps its inner lines", {4, "\nfirst\nsecond\n", ""}, "first\nsecond"},
        {"status 0 with error text", {0, "", "warning: something"}, std::nullopt},
        {"status 0 with nothing", {0, "", ""}, std::nullopt},
        {"killed by a signal", {15, "", ""}, "plugin install velto@velto-for-mac failed."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto command = std::make_shared<ScriptedCommand>();
        command->answer("plugin", row.output);
        AsyncTestLoop loop;
        try {
            ProcessOutput output = loop.run(command->succeed({"plugin", "install", "velto@velto-for-mac"}));
            EXPECT_FALSE(row.refusal) << "succeeded";
            EXPECT_EQ(output, row.output);
        } catch (const AgentIntegrationError& error) {
            ASSERT_TRUE(row.refusal) << error.what();
            EXPECT_EQ(error, AgentIntegrationError::refused(*row.refusal));
            EXPECT_EQ(std::string(error.what()), *row.refusal);
        }
    }
}

TEST(AgentCommandRunning, SucceedPassesTheRunnersOwnErrorsThrough) {
    auto command = std::make_shared<ScriptedCommand>();
    command->fail("skills", std::runtime_error("muse could not be started."));
    AsyncTestLoop loop;
    EXPECT_THROW(loop.run(command->succeed({"skills", "uninstall", "x", "--json"})), std::runtime_error);
}

} // namespace
} // namespace velto
