#include "VeltoDevice/Agents/AgentIntegrations.hpp"
#include "VeltoDevice/Agents/ClaudePlugin.hpp"
#include "VeltoDevice/Agents/CopiedSkill.hpp"
#include "VeltoDevice/Agents/InstalledSkillRecordFile.hpp"
#include "VeltoDevice/Agents/MuseSkill.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "FileFixtures.hpp"
#include "RecordingIntegration.hpp"
#include "RecordingProcessRunner.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using Outcome = AgentIntegrationOutcome;
using State = AgentIntegrationState;
using testing::AsyncTestLoop;
using testing::RecordingIntegration;
using testing::RecordingProcessRunner;
using testing::TemporaryFolder;
using testing::writeFile;

/// A runner whose commands exit 0 without output unless answers are queued.
std::shared_ptr<RecordingProcessRunner> idleRunner() {
    auto runner = std::make_shared<RecordingProcessRunner>();
    runner->output = ProcessOutput{};
    return runner;
}

class AgentIntegrationsTest : public ::testing::Test {
protected:
    AgentDependencies dependencies() {
        return AgentDependencies{
            .resources = resources,
            .environment = {{"CODEX_HOME", (temporary.path() / "codex").string()}, {"PATH", "/usr/bin"}},
            .home = temporary.path() / "home",
            .records = records,
            .runner = runner,
        };
    }

    /// Each entry's kind, name and whether it is offered, in plan order.
    static std::vector<std::string> described(const std::vector<PlannedIntegration>& plan) {
        std::vector<std::string> out;
        for (const auto& entry : plan) {
            std::string text;
            if (auto* plugin = dynamic_cast<ClaudePlugin*>(entry.integration.get()))
                text = "plugin " + plugin->marketplace().string();
            else if (auto* copied = dynamic_cast<CopiedSkill*>(entry.integration.get()))
                text = "copied " + copied->shipped().string() + " -> " + copied->installed().string();
            else if (auto* muse = dynamic_cast<MuseSkill*>(entry.integration.get()))
                text = "muse " + muse->shipped().string() + " -> " + muse->installed().string();
            out.push_back(text + (entry.isOffered ? "" : " (not offered)"));
        }
        return out;
    }

    TemporaryFolder temporary;
    const fs::path resources = temporary.path() / "agents";
    std::shared_ptr<InstalledSkillRecordFile> records =
        std::make_shared<InstalledSkillRecordFile>(temporary.path() / "agent-skills.json");
    std::shared_ptr<RecordingProcessRunner> runner = idleRunner();
    AsyncTestLoop loop;
};

TEST_F(AgentIntegrationsTest, ThePlanOfEachHarness) {
    fs::create_directories(resources / "skills" / "review");
    fs::create_directories(resources / "skills" / "triage");
    fs::create_directories(resources / "skills" / ".DS_Store");
    records->record("d", InstalledSkill{HarnessKind::codex, "retired"});
    records->record("d", InstalledSkill{HarnessKind::muse, "review"});
    const std::string skills = (resources / "skills").string();
    const std::string codex = (temporary.path() / "codex" / "skills").string();
    const std::string muse = (temporary.path() / "home" / ".config" / "muse" / "skills").string();

    auto claude = AgentIntegrations::plan(HarnessKind::claudeCode, "/usr/bin/claude", dependencies());
    EXPECT_EQ(described(claude), std::vector<std::string>{"plugin " + (resources / "claude").string()});
    runner->answers.push_back({0, "[]", ""});
    loop.run(claude[0].integration->state()); // the list, through the runner
    ASSERT_EQ(runner->runs.size(), 1u);
    EXPECT_EQ(runner->runs[0].executable, "/usr/bin/claude");
    EXPECT_EQ(runner->runs[0].environment.at("PATH"), "/usr/bin");
    EXPECT_EQ(runner->runs[0].timeout, std::chrono::seconds(60));
    EXPECT_EQ(runner->runs[0].currentDirectory, std::nullopt);

    EXPECT_EQ(
        described(AgentIntegrations::plan(HarnessKind::codex, "/usr/bin/codex", dependencies())),
        (std::vector<std::string>{"copied " + skills + "/retired -> " + codex + "/retired (not offered)",
                                  "copied " + skills + "/review -> " + codex + "/review",
                                  "copied " + skills + "/triage -> " + codex + "/triage"}));

    auto musePlan = AgentIntegrations::plan(HarnessKind::muse, "/opt/muse", dependencies());
    EXPECT_EQ(described(musePlan),
              (std::vector<std::string>{"muse " + skills + "/review -> " + muse + "/review",
                                        "muse " + skills + "/triage -> " + muse + "/triage"}));
    loop.run(musePlan[0].integration->remove());
    ASSERT_EQ(runner->runs.size(), 2u);
    EXPECT_EQ(runner->runs[1].executable, "/opt/muse");
    EXPECT_EQ(runner->runs[1].arguments,
              (std::vector<std::string>{"skills", "uninstall", "review", "--json"}));
}

TEST_F(AgentIntegrationsTest, NoSkillsAndNoRecordsGiveAnEmptyPlanThatChangesNothing) {
    fs::create_directories(resources / "skills");
    for (HarnessKind kind : {HarnessKind::codex, HarnessKind::muse}) {
        auto plan = AgentIntegrations::plan(kind, "/usr/bin/tool", dependencies());
        EXPECT_TRUE(plan.empty());
        EXPECT_EQ(loop.run(AgentIntegrations::reconcile(plan, true)), Outcome::unchanged());
    }
    fs::remove_all(resources);
    EXPECT_TRUE(dependencies().shippedSkills().empty()) << "a folder that cannot be listed ships nothing";
}

TEST_F(AgentIntegrationsTest, OnlyNamesThatAreOneHarmlessComponentArePlanned) {
    const std::vector<std::string> hostile = {"../../.ssh", "a/b", "-rf", "--help", ".hidden", "..", ".", ""};
    for (const auto& name : hostile) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(AgentIntegrations::isSkillName(name));
    }
    EXPECT_FALSE(AgentIntegrations::isSkillName(std::string("a\0b", 3)));
    for (const char* name : {"review", "a-b", "a.b", "résumé", "x y"})
        EXPECT_TRUE(AgentIntegrations::isSkillName(name)) << name;

    writeFile(records->file(), R"({"codex/../../.ssh":"d","codex/-rf":"d","codex/a\/b":"d","codex/.x":"d",)"
                               R"("codex/ok":"d","muse/--force":"d"})");
    EXPECT_EQ(AgentIntegrations::skillNames(HarnessKind::codex, dependencies()),
              std::vector<std::string>{"ok"});
    EXPECT_TRUE(AgentIntegrations::skillNames(HarnessKind::muse, dependencies()).empty());
}

TEST_F(AgentIntegrationsTest, TheWalkTriesEveryEntryAndWantsOnlyWhatIsChosenAndOffered) {
    auto absent = std::make_shared<RecordingIntegration>(State::absent);
    auto failing = std::make_shared<RecordingIntegration>(State::current);
    failing->removeError = std::make_exception_ptr(std::runtime_error("could not remove"));
    auto retired = std::make_shared<RecordingIntegration>(State::current);
    auto kept = std::make_shared<RecordingIntegration>(State::kept);
    std::vector<PlannedIntegration> plan{{absent, true}, {failing, true}, {retired, false}, {kept, true}};

    EXPECT_EQ(loop.run(AgentIntegrations::reconcile(plan, false)), Outcome::failed("could not remove"));
    EXPECT_EQ(absent->calls(), std::vector<std::string>{"state"});
    EXPECT_EQ(failing->calls(), (std::vector<std::string>{"state", "remove"}));
    EXPECT_EQ(retired->calls(), (std::vector<std::string>{"state", "remove"})) << "tried after a failure";
    EXPECT_EQ(kept->calls(), std::vector<std::string>{"state"});

    auto shippedAbsent = std::make_shared<RecordingIntegration>(State::absent);
    auto notShipped = std::make_shared<RecordingIntegration>(State::current);
    std::vector<PlannedIntegration> chosen{{shippedAbsent, true}, {notShipped, false}};
    EXPECT_EQ(loop.run(AgentIntegrations::reconcile(chosen, true)), Outcome::installed());
    EXPECT_EQ(shippedAbsent->calls(), (std::vector<std::string>{"state", "install"}));
    EXPECT_EQ(notShipped->calls(), (std::vector<std::string>{"state", "remove"})) << "no longer shipped";
}

} // namespace
} // namespace velto
