// The add-ons against real processes: fake `claude` and `muse` scripts that log their arguments and
// answer from a scenario file, and a `codex` that must never run.
#include "VeltoDevice/Agents/AgentIntegrations.hpp"
#include "VeltoDevice/Agents/InstalledSkillRecordFile.hpp"
#include "VeltoDevice/Agents/SkillFolder.hpp"
#include "VeltoDevice/Harness/ProcessRunner.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "FileFixtures.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using Outcome = AgentIntegrationOutcome;
using testing::readText;
using testing::TemporaryFolder;
using testing::writeFile;

/// Logs "<tool>[arg][arg]…", then answers with the first scenario line (tab-separated: the logged
/// line's prefix, a status, an output) whose prefix matches; exit 0 without output otherwise.
constexpr const char* scenarioTool = R"(
line="${0##*/}"
for argument in "$@"; do line="$line[$argument]"; done
printf '%s\n' "$line" >> "$TOOL_LOG"
if [ -f "$SCENARIO" ]; then
  while IFS='	' read -r prefix status output; do
    case "$line" in
      "$prefix"*) [ -n "$output" ] && printf '%s\n' "$output"; exit "$status";;
    esac
  done < "$SCENARIO"
fi
)";

/// Muse's own work on its skills folder, after the scenario had its say.
constexpr const char* museWork = R"(
skills="$XDG_CONFIG_HOME/muse/skills"
case "$1 $2" in
  "skills install") mkdir -p "$skills" && rm -rf "$skills/$7" && cp -R "$3" "$skills/$7" ;;
  "skills uninstall") rm -rf "$skills/$3" ;;
esac
)";

class FakeHarnessToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root / "bin");
        testing::writeShellScript(root / "bin" / "claude", scenarioTool);
        testing::writeShellScript(root / "bin" / "muse", std::string(scenarioTool) + museWork);
        testing::writeShellScript(root / "bin" / "codex", scenarioTool);
        writeFile(resources / "skills" / "review" / "SKILL.md", "# Review\n");
        writeFile(resources / "skills" / "review" / "notes" / ".hidden", "h");
        fs::create_directories(resources / "claude" / "velto");
    }

    void scenario(const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& line : lines)
            text += line + "\n";
        writeFile(root / "scenario", text);
    }

    /// Every logged command since the last call.
    std::vector<std::string> commands() {
        auto text = readText(root / "tools.log").value_or("");
        fs::remove(root / "tools.log");
        std::vector<std::string> lines;
        for (std::size_t start = 0; start < text.size();) {
            auto end = text.find('\n', start);
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }

    Outcome pass(HarnessKind kind, bool isChosen) {
        const char* tool = kind == HarnessKind::claudeCode ? "claude"
                           : kind == HarnessKind::codex    ? "codex"
                                                           : "muse";
        auto plan = AgentIntegrations::plan(kind, root / "bin" / tool, dependencies);
        return loop.run(AgentIntegrations::reconcile(std::move(plan), isChosen));
    }

    TemporaryFolder temporary;
    const fs::path root = temporary.path() / "home with space";
    const fs::path resources = root / "Velto.app" / "agents";
    const fs::path config = root / "config";
    std::shared_ptr<InstalledSkillRecordFile> records =
        std::make_shared<InstalledSkillRecordFile>(root / "data" / "agent-skills.json");
    AgentDependencies dependencies{
        .resources = resources,
        .environment = {{"TOOL_LOG", (root / "tools.log").string()},
                        {"SCENARIO", (root / "scenario").string()},
                        {"PATH", "/usr/bin:/bin"},
                        {"CODEX_HOME", (root / "codex-home").string()},
                        {"XDG_CONFIG_HOME", config.string()}},
        .home = root,
        .records = records,
        .runner = std::make_shared<ProcessRunner>(SystemClock::shared()),
    };
    testing::AsyncTestLoop loop;
};

TEST_F(FakeHarnessToolsTest, InstallAndRemovalRunTheToolsCommandsInOrder) {
    const std::string marketplace = (resources / "claude").string();
    const std::string listed =
        R"([{"id":"velto@velto-for-mac","enabled":true,"readFromFolder":")" + marketplace + R"(/velto"}])";
    scenario({"claude[plugin][list]\t0\t[]"});
    EXPECT_EQ(pass(HarnessKind::claudeCode, true), Outcome::installed());
    EXPECT_EQ(commands(), (std::vector<std::string>{
                              "claude[plugin][list][--json]",
                              "claude[plugin][uninstall][velto@velto-for-mac]",
                              "claude[plugin][marketplace][remove][velto-for-mac]",
                              "claude[plugin][marketplace][add][" + marketplace + "]",
                              "claude[plugin][install][velto@velto-for-mac][--scope][user]",
                          }));
    EXPECT_EQ(pass(HarnessKind::codex, true), Outcome::installed());
    EXPECT_EQ(pass(HarnessKind::muse, true), Outcome::installed());
    EXPECT_EQ(commands(), (std::vector<std::string>{"muse[skills][install][" +
                                                    (resources / "skills" / "review").string() +
                                                    "][--scope][user][--name][review][--force][--json]"}));
    EXPECT_TRUE(records->digest({HarnessKind::muse, "review"}));
    EXPECT_TRUE(records->digest({HarnessKind::codex, "review"}));

    scenario({"claude[plugin][list]\t0\t" + listed});
    for (HarnessKind kind : allHarnessKinds)
        EXPECT_EQ(pass(kind, true), Outcome::unchanged());
    EXPECT_EQ(commands(), std::vector<std::string>{"claude[plugin][list][--json]"}) << "the list alone";

    EXPECT_EQ(pass(HarnessKind::claudeCode, false), Outcome::removed());
    EXPECT_EQ(pass(HarnessKind::codex, false), Outcome::removed());
    EXPECT_EQ(pass(HarnessKind::muse, false), Outcome::removed());
    EXPECT_EQ(commands(), (std::vector<std::string>{"claude[plugin][list][--json]",
                                                    "claude[plugin][uninstall][velto@velto-for-mac]",
                                                    "claude[plugin][marketplace][remove][velto-for-mac]",
                                                    "muse[skills][uninstall][review][--json]"}));
    EXPECT_FALSE(fs::exists(root / "codex-home" / "skills" / "review"));
    EXPECT_FALSE(fs::exists(config / "muse" / "skills" / "review"));
    EXPECT_TRUE(records->names(HarnessKind::codex).empty());
    EXPECT_TRUE(records->names(HarnessKind::muse).empty());
}

TEST_F(FakeHarnessToolsTest, AnInstallWhoseUninstallAndForgetFailStillInstalls) {
    scenario({"claude[plugin][list]\t0\t[]", "claude[plugin][uninstall]\t1\tPlugin not found",
              "claude[plugin][marketplace][remove]\t2\tNo such marketplace"});
    EXPECT_EQ(pass(HarnessKind::claudeCode, true), Outcome::installed());
    EXPECT_EQ(commands().size(), 5u);
}

TEST_F(FakeHarnessToolsTest, FailuresChangeNothingElse) {
    struct Row {
        const char* name;
        HarnessKind kind;
        std::vector<std::string> scenario;
        Outcome outcome;
        std::size_t commands;
    };
    const Row rows[] = {
        {"an unreadable plugin list",
         HarnessKind::claudeCode,
         {"claude[plugin][list]\t0\tnot json"},
         Outcome::failed("Velto could not read Claude Code's plugin list."),
         1},
        {"a failing list",
         HarnessKind::claudeCode,
         {"claude[plugin][list]\t1\tPlease log in"},
         Outcome::failed("Please log in"),
         1},
        {"a failing add",
         HarnessKind::claudeCode,
         {"claude[plugin][list]\t0\t[]", "claude[plugin][marketplace][add]\t1\t"},
         Outcome::failed("plugin marketplace add " + (resources / "claude").string() + " failed."),
         4},
        {"a failed muse install",
         HarnessKind::muse,
         {"muse[skills][install]\t1\t{\"error\":\"quota\"}"},
         Outcome::failed("{\"error\":\"quota\"}"),
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        scenario(row.scenario);
        EXPECT_EQ(pass(row.kind, true), row.outcome);
        EXPECT_EQ(commands().size(), row.commands);
        EXPECT_FALSE(fs::exists(records->file())) << "nothing recorded";
        EXPECT_FALSE(fs::exists(config / "muse" / "skills" / "review"));
    }
}

TEST_F(FakeHarnessToolsTest, AToolThatCannotStartIsFailedWithTheRunnersSentence) {
    fs::remove(root / "bin" / "claude");
    EXPECT_EQ(pass(HarnessKind::claudeCode, true), Outcome::failed("claude could not be started."));
}

} // namespace
} // namespace velto
