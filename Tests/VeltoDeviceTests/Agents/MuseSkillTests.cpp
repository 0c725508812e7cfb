#include "VeltoDevice/Agents/MuseSkill.hpp"
#include "VeltoDevice/Agents/SkillFolder.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptFixtures.hpp"
#include "ScriptedCommand.hpp"
#include "SkillFixture.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using State = AgentIntegrationState;
using Outcome = AgentIntegrationOutcome;
using testing::readText;
using testing::ScriptedCommand;
using testing::writeFile;

TEST(MuseSkill, XDGConfigHomePlacesTheSkillsFolder) {
    const fs::path home = "/home/u";
    EXPECT_EQ(MuseSkill::skills({}, home), "/home/u/.config/muse/skills");
    EXPECT_EQ(MuseSkill::skills({{"XDG_CONFIG_HOME", "/srv/config"}}, home), "/srv/config/muse/skills");
    EXPECT_EQ(MuseSkill::skills({{"XDG_CONFIG_HOME", ""}}, home), "/home/u/.config/muse/skills")
        << "empty is unset";
    EXPECT_EQ(MuseSkill::skills({{"XDG_CONFIG_HOME", "config"}}, home), "/home/u/.config/muse/skills")
        << "so is a relative value";
}

using SkillIntegrationTest = testing::SkillFixture;

TEST_F(SkillIntegrationTest, AMuseSkillRunsTheToolsCommandsAndRecordsWhatItInstalled) {
    auto command = std::make_shared<ScriptedCommand>();
    const fs::path museFolder = temporary.path() / "config" / "muse" / "skills" / "review";
    MuseSkill muse("review", shipped, museFolder, command, records, &pool);
    const InstalledSkill museSkill{HarnessKind::muse, "review"};
    const std::string installLine =
        "skills install " + shipped.string() + " --scope user --name review --force --json";
    const std::string removeLine = "skills uninstall review --json";
    // The fake tool does what Muse does: copies on install, deletes on uninstall.
    auto copying = [&] {
        fs::create_directories(museFolder.parent_path());
        fs::copy(shipped, museFolder, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        return ProcessOutput{0, "{}", ""};
    };
    auto deleting = [&] {
        fs::remove_all(museFolder);
        return ProcessOutput{0, "{}", ""};
    };

    EXPECT_EQ(state(muse), State::absent);
    command->respond("skills install", copying);
    EXPECT_EQ(reconcile(muse, true), Outcome::installed());
    EXPECT_EQ(records->digest(museSkill), SkillFolder::digest(museFolder).hex);
    EXPECT_EQ(records->digest(skill), std::nullopt) << "a Muse skill has a record key of its own";
    EXPECT_EQ(state(muse), State::current);

    command->respond("skills uninstall", deleting);
    EXPECT_EQ(reconcile(muse, false), Outcome::removed());
    EXPECT_EQ(records->digest(museSkill), std::nullopt);
    EXPECT_EQ(command->lines(), (std::vector<std::string>{installLine, removeLine}));
}

TEST_F(SkillIntegrationTest, AFailedMuseCommandRecordsNothing) {
    auto command = std::make_shared<ScriptedCommand>();
    const fs::path museFolder = temporary.path() / "config" / "muse" / "skills" / "review";
    MuseSkill muse("review", shipped, museFolder, command, records);
    command->answer("skills install", {1, "", "error: not signed in\n"});
    EXPECT_EQ(reconcile(muse, true), Outcome::failed("error: not signed in"));
    EXPECT_FALSE(fs::exists(records->file())) << "nothing was recorded";
}

} // namespace
} // namespace velto
