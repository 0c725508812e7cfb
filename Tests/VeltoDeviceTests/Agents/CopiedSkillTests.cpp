#include "VeltoDevice/Agents/CopiedSkill.hpp"
#include "VeltoDevice/Agents/SkillFolder.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <sys/stat.h>

#include "ScriptFixtures.hpp"
#include "SkillFixture.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using State = AgentIntegrationState;
using Outcome = AgentIntegrationOutcome;
using testing::readText;
using testing::writeFile;

TEST(CopiedSkill, CodexHomePlacesTheSkillsFolder) {
    const fs::path home = "/home/u";
    EXPECT_EQ(CopiedSkill::codexSkills({}, home), "/home/u/.codex/skills");
    EXPECT_EQ(CopiedSkill::codexSkills({{"CODEX_HOME", "/srv/codex"}}, home), "/srv/codex/skills");
    EXPECT_EQ(CopiedSkill::codexSkills({{"CODEX_HOME", ""}}, home), "/home/u/.codex/skills")
        << "empty is unset";
    EXPECT_EQ(CopiedSkill::codexSkills({{"CODEX_HOME", "rel"}}, home), fs::current_path() / "rel" / "skills");
}

using SkillIntegrationTest = testing::SkillFixture;

TEST_F(SkillIntegrationTest, ACopiedSkillIsInstalledRecordedUpdatedAndRemoved) {
    CopiedSkill copied(skill, shipped, installed, records, &pool);
    EXPECT_EQ(state(copied), State::absent);

    EXPECT_EQ(reconcile(copied, true), Outcome::installed());
    EXPECT_EQ(readText(installed / "SKILL.md"), "# Review\n");
    EXPECT_TRUE(fs::is_symlink(installed / "run")) << "links are copied as links";
    EXPECT_EQ(fs::read_symlink(installed / "run"), "scripts/run.sh");
    EXPECT_EQ(records->digest(skill), SkillFolder::digest(shipped).hex);
    EXPECT_EQ(state(copied), State::current);

    writeFile(shipped / "SKILL.md", "# Review, second edition\n");
    EXPECT_EQ(state(copied), State::outdated);
    EXPECT_EQ(reconcile(copied, true), Outcome::updated());
    EXPECT_EQ(readText(installed / "SKILL.md"), "# Review, second edition\n");
    EXPECT_EQ(state(copied), State::current);

    EXPECT_EQ(reconcile(copied, false), Outcome::removed());
    EXPECT_FALSE(fs::exists(fs::symlink_status(installed)));
    EXPECT_EQ(records->digest(skill), std::nullopt);
    EXPECT_EQ(state(copied), State::absent);
}

TEST_F(SkillIntegrationTest, ACopyTheUserChangedOrCannotBeReadIsNeverTouched) {
    struct Row {
        const char* name;
        std::function<void(const fs::path&)> change;
    };
    const Row rows[] = {
        {"an edited file", [](const fs::path& f) { writeFile(f / "SKILL.md", "mine"); }},
        {"a hidden file added", [](const fs::path& f) { writeFile(f / ".notes", "mine"); }},
        {"a FIFO added", [](const fs::path& f) { ::mkfifo((f / "pipe").c_str(), 0600); }},
        {"replaced by a link",
         [](const fs::path& f) {
             fs::rename(f, f.parent_path() / "elsewhere");
             fs::create_symlink(f.parent_path() / "elsewhere", f);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(installed.parent_path());
        CopiedSkill copied(skill, shipped, installed, records);
        ASSERT_EQ(reconcile(copied, true), Outcome::installed());
        row.change(installed);
        auto before = fs::symlink_status(installed).type();
        EXPECT_EQ(reconcile(copied, true), Outcome::kept());
        EXPECT_EQ(reconcile(copied, false), Outcome::kept());
        EXPECT_EQ(fs::symlink_status(installed).type(), before);
        EXPECT_TRUE(records->digest(skill)) << "the record stays";
    }
}

TEST_F(SkillIntegrationTest, AnUnrecordedCopyIsKeptEvenWhenItEqualsTheShippedOne) {
    fs::create_directories(installed.parent_path());
    fs::copy(shipped, installed, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    CopiedSkill copied(skill, shipped, installed, records);
    EXPECT_EQ(state(copied), State::kept);
}

TEST_F(SkillIntegrationTest, ARecordedSkillNoLongerShippedIsOutdated) {
    CopiedSkill copied(skill, shipped, installed, records);
    ASSERT_EQ(reconcile(copied, true), Outcome::installed());
    fs::remove_all(shipped);
    EXPECT_EQ(state(copied), State::outdated);
    EXPECT_EQ(reconcile(copied, false), Outcome::removed());
}

TEST_F(SkillIntegrationTest, AFailedCopyIsAFailedOutcomeWithTheSystemsSentence) {
    CopiedSkill copied(skill, temporary.path() / "nothing-shipped", installed, records);
    Outcome outcome = reconcile(copied, true);
    EXPECT_EQ(outcome.kind, Outcome::Case::failed);
    EXPECT_TRUE(outcome.reason.starts_with("The system did not save " + installed.string() + ": "))
        << outcome.reason;
    EXPECT_EQ(records->digest(skill), std::nullopt);
}

TEST_F(SkillIntegrationTest, ARecordThatCannotBeWrittenFailsTheInstallWithOneSentence) {
    fs::create_directories(records->file() / "in-the-way");
    CopiedSkill copied(skill, shipped, installed, records);
    Outcome outcome = reconcile(copied, true);
    EXPECT_EQ(outcome.kind, Outcome::Case::failed);
    EXPECT_TRUE(outcome.reason.starts_with("The system did not save " + records->file().string() + ": "))
        << outcome.reason;
    EXPECT_EQ(state(copied), State::kept) << "an unrecorded copy is left alone from now on";
}

} // namespace
} // namespace velto
