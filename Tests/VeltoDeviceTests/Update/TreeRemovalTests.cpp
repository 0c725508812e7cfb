#include "VeltoDevice/Update/TreeRemoval.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "TemporaryFolder.hpp"
#include "TestBundle.hpp"
#include "UnprivilegedRun.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using testing::TestBundle;

mode_t modeOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

bool present(const fs::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

// Only root may empty a folder without write permission, so this runs as another user.
TEST(TreeRemoval, EmptiesFoldersOfAnyModeAndLeavesWhatLinksPointAt) {
    if (!testing::runsUnprivileged())
        return;
    testing::TemporaryFolder temporary;
    const auto outside = temporary.path() / "outside";
    TestBundle::writeFile(outside / "kept", "kept");
    const auto tree = temporary.path() / "tree";
    TestBundle::writeFile(tree / "Contents/Resources/readme.txt", "x");
    TestBundle::writeFile(tree / "Contents/Resources/Deeper/file", "x", 0444);
    TestBundle::writeFile(tree / "Locked/Inner/file", "x");
    TestBundle::writeFile(tree / "SearchOnly/file", "x");
    fs::create_directory_symlink(outside, tree / "Contents/outside");
    fs::create_symlink(outside / "kept", tree / "Contents/Resources/kept");
    ::chmod((tree / "Contents/Resources/Deeper").c_str(), 0555);
    ::chmod((tree / "Contents/Resources").c_str(), 0555);
    ::chmod((tree / "Locked/Inner").c_str(), 0);
    ::chmod((tree / "Locked").c_str(), 0);
    ::chmod((tree / "SearchOnly").c_str(), 0111);
    ::chmod(outside.c_str(), 0555);
    // What the update path met: the plain removal cannot unlink inside a folder at 0555.
    ASSERT_NE(::unlink((tree / "Contents/Resources/readme.txt").c_str()), 0);
    ASSERT_EQ(errno, EACCES);

    TreeRemoval::remove(tree);
    EXPECT_FALSE(present(tree));
    EXPECT_TRUE(present(outside / "kept"));
    EXPECT_EQ(modeOf(outside), 0555u) << "the folder a link points at is not changed";
    ::chmod(outside.c_str(), 0755);
}

TEST(TreeRemoval, RemovesALinkNotWhatItPointsAtAndIgnoresWhatIsMissing) {
    testing::TemporaryFolder temporary;
    const auto target = temporary.path() / "target";
    TestBundle::writeFile(target / "kept", "kept");
    fs::create_directory_symlink(target, temporary.path() / "link");
    fs::create_symlink("nowhere", temporary.path() / "dangling");
    TestBundle::writeFile(temporary.path() / "file", "x");

    TreeRemoval::remove(temporary.path() / "link");
    TreeRemoval::remove(temporary.path() / "dangling");
    TreeRemoval::remove(temporary.path() / "file");
    TreeRemoval::remove(temporary.path() / "missing");
    TreeRemoval::remove(temporary.path() / "missing" / "below");
    TreeRemoval::remove(target / "kept" / "below");
    EXPECT_FALSE(present(temporary.path() / "link"));
    EXPECT_FALSE(present(temporary.path() / "dangling"));
    EXPECT_FALSE(present(temporary.path() / "file"));
    EXPECT_TRUE(present(target / "kept"));

    // A trailing slash names the folder itself.
    TreeRemoval::remove(target.string() + "/");
    EXPECT_FALSE(present(target));
}

} // namespace
} // namespace velto
