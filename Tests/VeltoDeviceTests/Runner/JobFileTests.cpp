#include "VeltoDevice/Runner/JobFile.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "FileFixtures.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;

mode_t modeOf(const fs::path& path) {
    struct ::stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(JobFile, WritesEachDocumentWholeToANewFileOnlyTheUserMayReadOrWrite) {
    testing::TemporaryFolder folder;
    auto jobs = folder.path() / "velto-jobs";
    // A folder left open to others is closed before a job file goes in.
    fs::create_directory(jobs);
    fs::permissions(jobs, fs::perms(0755), fs::perm_options::replace);
    Bytes document =
        toBytes(std::string("{\"jobId\":\"job-1\",\"text\":\"a/b\"}\n") + std::string(100000, 'x'));

    auto first = JobFile::write(document, folder.path());
    auto second = JobFile::write(Bytes{}, folder.path());
    EXPECT_EQ(first.parent_path(), jobs);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.extension(), ".json");
    EXPECT_EQ(testing::readText(first), toString(document));
    EXPECT_EQ(testing::readText(second), "");
    EXPECT_EQ(modeOf(first), 0600u);
    EXPECT_EQ(modeOf(jobs), 0700u);

    JobFile::remove(first);
    JobFile::remove(first);
    EXPECT_FALSE(fs::exists(first));
    EXPECT_TRUE(fs::exists(second));
}

TEST(JobFile, LeftoversOfAnEarlierRunAreRemovedUnlessTheFolderIsALinkOrMissing) {
    testing::TemporaryFolder folder;
    JobFile::removeLeftovers(folder.path());
    auto first = JobFile::write(toBytes("{}"), folder.path());
    auto second = JobFile::write(toBytes("{}"), folder.path());
    JobFile::removeLeftovers(folder.path());
    EXPECT_FALSE(fs::exists(first));
    EXPECT_FALSE(fs::exists(second));
    EXPECT_TRUE(fs::is_directory(folder.path() / "velto-jobs"));

    // Someone else's folder behind a link keeps its files.
    testing::TemporaryFolder elsewhere;
    auto theirs = elsewhere.path() / "velto-jobs";
    fs::create_directory(theirs);
    testing::writeFile(theirs / "kept.json", "{}");
    testing::TemporaryFolder linked;
    fs::create_directory_symlink(theirs, linked.path() / "velto-jobs");
    JobFile::removeLeftovers(linked.path());
    EXPECT_TRUE(fs::exists(theirs / "kept.json"));
}

} // namespace
} // namespace velto
