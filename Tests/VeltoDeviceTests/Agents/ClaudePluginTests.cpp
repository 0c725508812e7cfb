#include "VeltoDevice/Agents/AgentIntegrationError.hpp"
#include "VeltoDevice/Agents/AgentIntegrationOutcome.hpp"
#include "VeltoDevice/Agents/AgentReconciler.hpp"
#include "VeltoDevice/Agents/ClaudePlugin.hpp"
#include "VeltoDevice/Agents/ClaudePluginListError.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "ScriptedCommand.hpp"

namespace velto {
namespace {

using State = AgentIntegrationState;
using Outcome = AgentIntegrationOutcome;
using testing::AsyncTestLoop;
using testing::ScriptedCommand;

const std::filesystem::path marketplace = "/opt/Velto.app/Contents/Resources/agents/claude";
constexpr const char* list = "plugin list --json";
constexpr const char* uninstall = "plugin uninstall velto@velto-for-mac";
constexpr const char* forget = "plugin marketplace remove velto-for-mac";
constexpr const char* add = "plugin marketplace add /opt/Velto.app/Contents/Resources/agents/claude";
constexpr const char* install = "plugin install velto@velto-for-mac --scope user";

TEST(ClaudePlugin, ThePluginListGivesTheState) {
    struct Row {
        const char* name;
        std::string list;
        std::optional<State> state; // nothing: the list cannot be read
    };
    const std::string ours = R"("id":"velto@velto-for-mac")";
    const std::string folder = "/opt/Velto.app/Contents/Resources/agents/claude/velto";
    const Row rows[] = {
        {"no entries", "[]", State::absent},
        {"only another plugin", R"([{"id":"other@market","enabled":true}])", State::absent},
        {"a near id",
         R"([{"id":"velto@velto-for-mac2","enabled":true,"readFromFolder":")" + folder + R"("}])",
         State::absent},
        {"read from this bundle", "[{" + ours + R"(,"enabled":true,"readFromFolder":")" + folder + R"("}])",
         State::current},
        {"through a \".\" component",
         "[{" + ours +
             R"(,"enabled":true,"readFromFolder":"/opt/Velto.app/Contents/./Resources/agents/claude/velto"}])",
         State::current},
        {"through \"..\"",
         "[{" + ours +
             R"(,"enabled":true,"readFromFolder":"/opt/Velto.app/Contents/MacOS/../Resources/agents/claude/velto"}])",
         State::current},
        {"with a trailing /", "[{" + ours + R"(,"enabled":true,"readFromFolder":")" + folder + R"(/"}])",
         State::current},
        {"escaped slashes",
         "[{" + ours +
             R"(,"enabled":true,"readFromFolder":"\/opt\/Velto.app\/Contents\/Resources\/agents\/claude\/velto"}])",
         State::current},
        {"another copy's folder",
         "[{" + ours + R"(,"enabled":true,"readFromFolder":"/Applications/Old.app/agents/claude/velto"}])",
         State::outdated},
        {"a relative folder", "[{" + ours + R"(,"enabled":true,"readFromFolder":"agents/claude/velto"}])",
         State::outdated},
        {"folder null", "[{" + ours + R"(,"enabled":true,"readFromFolder":null}])", State::outdated},
        {"no folder", "[{" + ours + R"(,"enabled":true,"extra":{"x":1}}])", State::outdated},
        {"switched off, whatever its folder",
         "[{" + ours + R"(,"enabled":false,"readFromFolder":")" + folder + R"("}])", State::kept},
        {"the id twice: the first counts",
         "[{" + ours + R"(,"enabled":false},{)" + ours + R"(,"enabled":true,"readFromFolder":")" + folder +
             R"("}])",
         State::kept},
        {"empty output", "", std::nullopt},
        {"null", "null", std::nullopt},
        {"an object", R"({"plugins":[]})", std::nullopt},
        {"enabled as text", "[{" + ours + R"(,"enabled":"true"}])", std::nullopt},
        {"an entry without id", R"([{"enabled":true}])", std::nullopt},
        {"folder a number", "[{" + ours + R"(,"enabled":true,"readFromFolder":7}])", std::nullopt},
        {"a broken later entry", "[{" + ours + R"(,"enabled":true},{"id":3,"enabled":true}])", std::nullopt},
        {"truncated", "[{" + ours, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto command = std::make_shared<ScriptedCommand>();
        command->answer(list, {0, row.list, ""});
        ClaudePlugin plugin(marketplace, command);
        AsyncTestLoop loop;
        try {
            EXPECT_EQ(loop.run(plugin.state()), row.state);
        } catch (const ClaudePluginListError& error) {
            EXPECT_FALSE(row.state) << "unreadable";
            EXPECT_STREQ(error.what(), "Velto could not read Claude Code's plugin list.");
        }
        EXPECT_EQ(command->lines(), std::vector<std::string>{list});
    }
}

TEST(ClaudePlugin, EachPassRunsItsCommandsInOrder) {
    const std::string current = R"([{"id":"velto@velto-for-mac","enabled":true,"readFromFolder":")" +
                                marketplace.string() + R"(/velto"}])";
    const std::string elsewhere =
        R"([{"id":"velto@velto-for-mac","enabled":true,"readFromFolder":"/old/velto"}])";
    const std::string off = R"([{"id":"velto@velto-for-mac","enabled":false}])";
    struct Row {
        const char* name;
        std::string list;
        bool isWanted;
        std::vector<std::string> lines;
        Outcome outcome;
    };
    const std::vector<std::string> installing{list, uninstall, forget, add, install};
    const Row rows[] = {
        {"first install", "[]", true, installing, Outcome::installed()},
        {"update from another copy", elsewhere, true, installing, Outcome::updated()},
        {"removal", current, false, {list, uninstall, forget}, Outcome::removed()},
        {"removal of another copy's", elsewhere, false, {list, uninstall, forget}, Outcome::removed()},
        {"current and wanted", current, true, {list}, Outcome::unchanged()},
        {"absent and unwanted", "[]", false, {list}, Outcome::unchanged()},
        {"switched off and wanted", off, true, {list}, Outcome::kept()},
        {"switched off and unwanted", off, false, {list}, Outcome::kept()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto command = std::make_shared<ScriptedCommand>();
        command->answer(list, {0, row.list, ""});
        ClaudePlugin plugin(marketplace, command);
        AsyncTestLoop loop;
        EXPECT_EQ(loop.run(AgentReconciler::reconcile(plugin, row.isWanted)), row.outcome);
        EXPECT_EQ(command->lines(), row.lines);
    }
}

TEST(ClaudePlugin, ClearingTheWayNeverFailsAnInstallButTheLaterStepsDo) {
    struct Row {
        const char* name;
        std::function<void(ScriptedCommand&)> script;
        std::vector<std::string> lines;
        Outcome outcome;
    };
    const Row rows[] = {
        {"uninstall and forget exit 1",
         [](ScriptedCommand& c) {
             c.answer(uninstall, {1, "", "Plugin not installed"})
                 .answer(forget, {1, "", "No such marketplace"});
         },
         {list, uninstall, forget, add, install},
         Outcome::installed()},
        {"uninstall and forget cannot start",
         [](ScriptedCommand& c) {
             c.fail(uninstall, std::runtime_error("claude did not answer in time."))
                 .fail(forget, std::runtime_error("claude could not be started."));
         },
         {list, uninstall, forget, add, install},
         Outcome::installed()},
        {"adding the marketplace fails",
         [](ScriptedCommand& c) {
             c.answer(add, {1, "", "Invalid marketplace"});
         },
         {list, uninstall, forget, add},
         Outcome::failed("Invalid marketplace")},
        {"installing fails silently",
         [](ScriptedCommand& c) {
             c.answer(install, {1, "", ""});
         },
         {list, uninstall, forget, add, install},
         Outcome::failed("plugin install velto@velto-for-mac --scope user failed.")},
        {"the list fails",
         [](ScriptedCommand& c) {
             c.answer(list, {1, "", "not logged in"});
         },
         {list},
         Outcome::failed("not logged in")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto command = std::make_shared<ScriptedCommand>();
        row.script(*command);
        command->answer(list, {0, "[]", ""});
        ClaudePlugin plugin(marketplace, command);
        AsyncTestLoop loop;
        EXPECT_EQ(loop.run(AgentReconciler::reconcile(plugin, true)), row.outcome);
        EXPECT_EQ(command->lines(), row.lines);
    }
}

TEST(ClaudePlugin, AFailedUninstallKeepsTheMarketplaceRegistered) {
    auto command = std::make_shared<ScriptedCommand>();
    command->answer(list, {0, R"([{"id":"velto@velto-for-mac","enabled":true}])", ""});
    command->answer(uninstall, {1, "busy", ""});
    ClaudePlugin plugin(marketplace, command);
    AsyncTestLoop loop;
    EXPECT_EQ(loop.run(AgentReconciler::reconcile(plugin, false)), Outcome::failed("busy"));
    EXPECT_EQ(command->lines(), (std::vector<std::string>{list, uninstall}));
}

} // namespace
} // namespace velto
