#include "VeltoDevice/Agents/InstalledSkillRecordFile.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileFixtures.hpp"
#include "ScopedEnvironmentVariable.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using testing::readText;
using testing::TemporaryFolder;
using testing::writeFile;

const InstalledSkill review{HarnessKind::codex, "review"};
const std::string digestA(64, 'a');

TEST(InstalledSkillRecordFile, ADamagedRecordReadsEmptyAndTheNextRecordReplacesIt) {
    const std::vector<std::string> damaged = {"[]", "{", "not json", R"({"codex/review":7})", "null", ""};
    for (const auto& content : damaged) {
        SCOPED_TRACE(content);
        TemporaryFolder temporary;
        InstalledSkillRecordFile records(temporary.path() / "Velto" / "agent-skills.json");
        writeFile(records.file(), content);
        EXPECT_EQ(records.digest(review), std::nullopt);
        EXPECT_TRUE(records.names(HarnessKind::codex).empty());
        records.record(digestA, InstalledSkill{HarnessKind::muse, "triage"});
        EXPECT_EQ(parseJson(*readText(records.file())), Json({{"muse/triage", digestA}}));
    }
}

TEST(InstalledSkillRecordFile, RecordsDigestsPerAgentAndName) {
    TemporaryFolder temporary;
    InstalledSkillRecordFile records(temporary.path() / "missing" / "Velto" / "agent-skills.json");
    EXPECT_EQ(records.digest(review), std::nullopt);

    records.record(digestA, review);
    records.record("b", InstalledSkill{HarnessKind::codex, "alpha"});
    records.record("c", InstalledSkill{HarnessKind::muse, "review"});
    EXPECT_EQ(records.digest(review), digestA);
    EXPECT_EQ(records.digest(InstalledSkill{HarnessKind::muse, "review"}), "c");
    EXPECT_EQ(records.names(HarnessKind::codex), (std::vector<std::string>{"alpha", "review"}));
    EXPECT_EQ(records.names(HarnessKind::muse), std::vector<std::string>{"review"});
    EXPECT_TRUE(records.names(HarnessKind::claudeCode).empty());
    // Compact, "/" as it stands; readers of the earlier form with "\/" read it too.
    EXPECT_EQ(*readText(records.file()),
              R"({"codex/alpha":"b","codex/review":")" + digestA + R"(","muse/review":"c"})");

    writeFile(records.file(), R"({"codex\/review": "x", "codex/": "empty name"})");
    EXPECT_EQ(records.digest(review), "x");
    EXPECT_EQ(records.names(HarnessKind::codex), std::vector<std::string>{"review"});
}

TEST(InstalledSkillRecordFile, RecordingNothingDeletesTheEntryAndWritesTheRestAgain) {
    TemporaryFolder temporary;
    InstalledSkillRecordFile records(temporary.path() / "agent-skills.json");
    writeFile(records.file(), R"({"codex/review": "a",  "muse/x": "b"})");
    records.record(std::nullopt, InstalledSkill{HarnessKind::codex, "absent"});
    EXPECT_EQ(*readText(records.file()), R"({"codex/review":"a","muse/x":"b"})");
    records.record(std::nullopt, review);
    EXPECT_EQ(*readText(records.file()), R"({"muse/x":"b"})");
}

TEST(InstalledSkillRecordFile, LiesBesideTheEnrollments) {
    TemporaryFolder temporary;
    testing::ScopedEnvironmentVariable data("XDG_DATA_HOME", (temporary.path() / "data").c_str());
    EXPECT_EQ(InstalledSkillRecordFile::applicationSupport().file(),
              temporary.path() / "data" / "Velto" / "agent-skills.json");
}

} // namespace
} // namespace velto
