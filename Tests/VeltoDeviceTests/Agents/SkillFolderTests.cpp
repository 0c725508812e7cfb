#include "VeltoDevice/Agents/SkillFolder.hpp"
#include "VeltoDevice/Support/Sha256.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "FileFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using State = AgentIntegrationState;
using testing::TemporaryFolder;
using testing::writeFile;

std::string sha256(std::string_view bytes) {
    Sha256 hash;
    hash.update(bytes);
    return Sha256::hex(hash.finish());
}

/// A skill folder of a few files, a hidden one, a subfolder and a link.
void makeSkill(const fs::path& folder) {
    writeFile(folder / "SKILL.md", "# Review\n");
    writeFile(folder / ".hidden", "h");
    writeFile(folder / "scripts" / "run.sh", "#!/bin/sh\n");
    fs::create_symlink("scripts/run.sh", folder / "run");
}

TEST(SkillFolder, TheDigestHashesPathsAndContentsInByteOrder) {
    TemporaryFolder temporary;
    const fs::path folder = temporary.path() / "skill";
    writeFile(folder / "b", "2");
    writeFile(folder / "a", "1");
    writeFile(folder / "a-b", "3");
    using namespace std::string_literals;
    EXPECT_EQ(SkillFolder::digest(folder), FolderDigest::of(sha256("a\0"s
                                                                   "1"
                                                                   "a-b\0"s
                                                                   "3"
                                                                   "b\0"s
                                                                   "2")));

    fs::create_directories(temporary.path() / "empty");
    EXPECT_EQ(SkillFolder::digest(temporary.path() / "empty"), FolderDigest::of(sha256("")));
    EXPECT_EQ(SkillFolder::digest(temporary.path() / "none"), FolderDigest::missing());
    EXPECT_EQ(SkillFolder::digest(temporary.path() / "skill" / "a" / "below"), FolderDigest::missing());
}

TEST(SkillFolder, EveryChangeOfAFileOrLinkChangesTheDigestAnEmptyFolderDoesNot) {
    struct Row {
        const char* name;
        std::function<void(const fs::path&)> change;
        bool changesDigest;
    };
    const Row rows[] = {
        {"editing a file", [](const fs::path& f) { writeFile(f / "SKILL.md", "# Review!\n"); }, true},
        {"editing a hidden file", [](const fs::path& f) { writeFile(f / ".hidden", "H"); }, true},
        {"adding a file", [](const fs::path& f) { writeFile(f / "notes.txt", ""); }, true},
        {"adding a hidden file deep down",
         [](const fs::path& f) { writeFile(f / "scripts" / ".x" / ".y", ""); }, true},
        {"deleting a file", [](const fs::path& f) { fs::remove(f / "scripts" / "run.sh"); }, true},
        {"renaming a file", [](const fs::path& f) { fs::rename(f / "SKILL.md", f / "Skill.md"); }, true},
        {"moving a file to a subfolder",
         [](const fs::path& f) {
             fs::create_directories(f / "docs");
             fs::rename(f / "SKILL.md", f / "docs" / "SKILL.md");
         },
         true},
        {"retargeting the link",
         [](const fs::path& f) {
             fs::remove(f / "run");
             fs::create_symlink("SKILL.md", f / "run");
         },
         true},
        {"renaming the link", [](const fs::path& f) { fs::rename(f / "run", f / "go"); }, true},
        {"a file in the link's place with the same text",
         [](const fs::path& f) {
             fs::remove(f / "run");
             writeFile(f / "run", "scripts/run.sh");
         },
         true},
        {"adding an empty folder", [](const fs::path& f) { fs::create_directories(f / "empty" / "deeper"); },
         false},
        {"touching a file's time",
         [](const fs::path& f) { fs::last_write_time(f / "SKILL.md", fs::file_time_type{}); }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TemporaryFolder temporary;
        const fs::path folder = temporary.path() / "skill";
        makeSkill(folder);
        FolderDigest before = SkillFolder::digest(folder);
        ASSERT_EQ(before.kind, FolderDigest::Case::digest);
        row.change(folder);
        FolderDigest after = SkillFolder::digest(folder);
        ASSERT_EQ(after.kind, FolderDigest::Case::digest);
        EXPECT_EQ(after != before, row.changesDigest);
    }
}

TEST(SkillFolder, TheSameFilesInOtherSubfoldersDigestDifferently) {
    TemporaryFolder temporary;
    writeFile(temporary.path() / "one" / "a" / "f", "x");
    writeFile(temporary.path() / "two" / "b" / "f", "x");
    EXPECT_NE(SkillFolder::digest(temporary.path() / "one"), SkillFolder::digest(temporary.path() / "two"));
}

TEST(SkillFolder, WhatCannotBeReadWholeIsUnreadableNotMissing) {
    struct Row {
        const char* name;
        std::function<fs::path(const fs::path&)> make; // returns the folder to digest
        bool needsModes;
    };
    const Row rows[] = {
        {"the folder is a link",
         [](const fs::path& t) {
             makeSkill(t / "real");
             fs::create_symlink(t / "real", t / "skill");
             return t / "skill";
         },
         false},
        {"a file in the folder's place",
         [](const fs::path& t) {
             writeFile(t / "skill", "x");
             return t / "skill";
         },
         false},
        {"a FIFO inside",
         [](const fs::path& t) {
             makeSkill(t / "skill");
             ::mkfifo((t / "skill" / "pipe").c_str(), 0600);
             return t / "skill";
         },
         false},
        {"a file that cannot be read",
         [](const fs::path& t) {
             makeSkill(t / "skill");
             fs::permissions(t / "skill" / "SKILL.md", fs::perms::none);
             return t / "skill";
         },
         true},
        {"a subfolder that cannot be listed",
         [](const fs::path& t) {
             makeSkill(t / "skill");
             fs::permissions(t / "skill" / "scripts", fs::perms::none);
             return t / "skill";
         },
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.needsModes && testing::isRoot())
            continue; // root reads whatever the modes say
        TemporaryFolder temporary;
        fs::path folder = row.make(temporary.path());
        EXPECT_EQ(SkillFolder::digest(folder), FolderDigest::unreadable());
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(temporary.path(), ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::permissions(folder / "scripts", fs::perms::owner_all, fs::perm_options::add, ignored);
    }
}

TEST(SkillFolder, ThreeDigestsGiveTheState) {
    auto digest = [](const char* hex) { return FolderDigest::of(hex); };
    struct Row {
        const char* name;
        FolderDigest installed;
        FolderDigest shipped;
        std::optional<std::string> recorded;
        State state;
    };
    const Row rows[] = {
        {"missing, whatever the record", FolderDigest::missing(), digest("a"), "a", State::absent},
        {"missing and nothing recorded", FolderDigest::missing(), FolderDigest::missing(), std::nullopt,
         State::absent},
        {"unreadable, even as recorded", FolderDigest::unreadable(), digest("a"), "a", State::kept},
        {"not recorded, even when shipped equal", digest("a"), digest("a"), std::nullopt, State::kept},
        {"changed since recorded", digest("b"), digest("a"), "a", State::kept},
        {"recorded and shipped", digest("a"), digest("a"), "a", State::current},
        {"recorded, a newer one shipped", digest("a"), digest("c"), "a", State::outdated},
        {"recorded, none shipped", digest("a"), FolderDigest::missing(), "a", State::outdated},
        {"recorded, shipped unreadable", digest("a"), FolderDigest::unreadable(), "a", State::outdated},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SkillFolder::state(row.installed, row.shipped, row.recorded), row.state);
    }
}

} // namespace
} // namespace velto
