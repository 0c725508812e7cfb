#include "VeltoDevice/Update/BundleSwapInstaller.hpp"
#include "VeltoDevice/Update/Relaunch.hpp"
#include "VeltoDevice/Update/SystemBundleSwapFileSystem.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"
#include "TestBundle.hpp"
#include "UnprivilegedRun.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using testing::TestBundle;

/// The real file system, with one chosen call made to fail with an errno, and exchanges refused as a
/// file system without them refuses them.
class FailingFileSystem final : public BundleSwapFileSystem {
public:
    /// The call of `operation` numbered `index` (from 0) fails with `error`.
    void failAt(const std::string& operation, int index, int error) { failures_[operation] = {index, error}; }
    bool exchangeRefused = false;
    std::vector<std::string> calls;

    void makePrivateFolder(const fs::path& folder) override {
        step("mkdir");
        real_.makePrivateFolder(folder);
    }
    void rename(const fs::path& from, const fs::path& to) override {
        step("rename");
        real_.rename(from, to);
    }
    void exchange(const fs::path& a, const fs::path& b) override {
        if (exchangeRefused)
            throw std::system_error(EINVAL, std::generic_category(), "renameat2");
        step("exchange");
        real_.exchange(a, b);
    }
    void copy(const fs::path& from, const fs::path& to) override {
        step("copy");
        real_.copy(from, to);
    }
    void removeAll(const fs::path& path) override { real_.removeAll(path); }
    bool exists(const fs::path& path) override { return real_.exists(path); }

private:
    void step(const std::string& operation) {
        calls.push_back(operation);
        auto failure = failures_.find(operation);
        if (failure != failures_.end() && counts_[operation]++ == failure->second.first)
            throw std::system_error(failure->second.second, std::generic_category(), operation);
    }

    SystemBundleSwapFileSystem real_;
    std::map<std::string, std::pair<int, int>> failures_;
    std::map<std::string, int> counts_;
};

class RecordingLauncher final : public DetachedLaunching {
public:
    void start(const std::vector<std::string>& arguments) override {
        launches.push_back(arguments);
        if (fails)
            throw std::system_error(ENOENT, std::generic_category(), "posix_spawn");
    }
    std::vector<std::vector<std::string>> launches;
    bool fails = false;
};

class BundleSwapInstallerTest : public ::testing::Test {
protected:
    BundleSwapInstallerTest() {
        TestBundle{.version = "1.2", .script = "#!/bin/sh\necho old\n"}.make(bundle());
        TestBundle{.version = "1.3", .executable = "velto-next", .script = "#!/bin/sh\necho new\n"}.make(
            stagedApp());
    }

    fs::path bundle() const { return folder.path() / "Applications" / "Velto.app"; }
    fs::path stagedApp() const { return folder.path() / "Updates" / "ABC" / "expanded" / "Velto Beta.app"; }
    StagedUpdate staged() const {
        return StagedUpdate{*AppVersion::parse("1.3"), stagedApp(), stagedApp().parent_path().parent_path()};
    }

    std::string versionAt(const fs::path& app) const {
        auto text = testing::readText(app / "Contents/Info.plist");
        if (!text)
            return "none";
        return text->find("<string>1.3</string>") != std::string::npos ? "1.3" : "1.2";
    }
    /// What stands beside the bundle besides it: scratch folders left behind.
    std::vector<std::string> besideTheBundle() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(bundle().parent_path()))
            if (entry.path() != bundle())
                names.push_back(entry.path().filename().string());
        return names;
    }

    testing::TemporaryFolder folder;
    std::shared_ptr<FailingFileSystem> files = std::make_shared<FailingFileSystem>();
    std::shared_ptr<RecordingLauncher> launcher = std::make_shared<RecordingLauncher>();
    BundleSwapInstaller installer{bundle(), launcher, files};
};

TEST_F(BundleSwapInstallerTest, ExchangesTheBundlesUnderTheRunningBundlesName) {
    installer.swap(staged());
    EXPECT_EQ(versionAt(bundle()), "1.3");
    EXPECT_TRUE(fs::exists(bundle() / "Contents/bin/velto-next"));
    EXPECT_FALSE(fs::exists(stagedApp()));
    EXPECT_TRUE(besideTheBundle().empty());
    EXPECT_EQ(files->calls, (std::vector<std::string>{"mkdir", "rename", "exchange"}));
}

// Only root may empty a folder without write permission, so this runs as another user.
TEST_F(BundleSwapInstallerTest, RemovesTheOldBundleWhoseFolderIsReadOnly) {
    if (!testing::runsUnprivileged())
        return;
    fs::permissions(bundle() / "Contents/Resources", fs::perms(0555));
    fs::permissions(stagedApp() / "Contents/Resources", fs::perms(0555));
    installer.swap(staged());
    EXPECT_EQ(versionAt(bundle()), "1.3");
    EXPECT_TRUE(besideTheBundle().empty());
    fs::permissions(bundle() / "Contents/Resources", fs::perms(0755));
}

TEST_F(BundleSwapInstallerTest, RenamesTwiceWhereTheFileSystemCannotExchange) {
    files->exchangeRefused = true;
    installer.swap(staged());
    EXPECT_EQ(versionAt(bundle()), "1.3");
    EXPECT_TRUE(besideTheBundle().empty());
    EXPECT_EQ(files->calls, (std::vector<std::string>{"mkdir", "rename", "rename", "rename"}));
}

TEST_F(BundleSwapInstallerTest, CopiesAcrossFileSystemsKeepingModesAndLinks) {
    files->failAt("rename", 0, EXDEV);
    installer.swap(staged());
    EXPECT_EQ(versionAt(bundle()), "1.3");
    struct stat status {};
    ASSERT_EQ(::stat((bundle() / "Contents/bin/velto-next").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0755u);
    EXPECT_EQ(fs::read_symlink(bundle() / "Contents/Resources/current"), "readme.txt");
    EXPECT_TRUE(besideTheBundle().empty());
}

TEST_F(BundleSwapInstallerTest, AFailureAtAnyStepLeavesTheInstalledBundle) {
    struct Step {
        const char* operation;
        int index;
        bool exchangeRefused;
    };
    const Step steps[] = {
        {"mkdir", 0, false},    {"rename", 0, false}, {"copy", 0, false},
        {"exchange", 0, false}, {"rename", 1, true},  {"rename", 2, true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.operation) + " " + std::to_string(step.index));
        fs::remove_all(folder.path() / "Updates");
        fs::remove_all(bundle());
        TestBundle{.version = "1.2"}.make(bundle());
        TestBundle{.version = "1.3", .executable = "velto-next"}.make(stagedApp());
        auto failing = std::make_shared<FailingFileSystem>();
        failing->exchangeRefused = step.exchangeRefused;
        failing->failAt(step.operation, step.index, EIO);
        if (std::string(step.operation) == "copy")
            failing->failAt("rename", 0, EXDEV);
        BundleSwapInstaller failingInstaller(bundle(), launcher, failing);
        EXPECT_THROW(failingInstaller.swap(staged()), std::system_error);
        EXPECT_EQ(versionAt(bundle()), "1.2");
        EXPECT_TRUE(besideTheBundle().empty());
    }
}

TEST_F(BundleSwapInstallerTest, KeepsTheScratchFolderWhenTheBundleCannotBeRenamedBack) {
    // Putting the new bundle in place fails, and so does putting the old one back.
    struct TwoFailures final : BundleSwapFileSystem {
        SystemBundleSwapFileSystem real;
        int renames = 0;
        void makePrivateFolder(const fs::path& f) override { real.makePrivateFolder(f); }
        void rename(const fs::path& from, const fs::path& to) override {
            if (++renames >= 3)
                throw std::system_error(EIO, std::generic_category(), "rename");
            real.rename(from, to);
        }
        void exchange(const fs::path&, const fs::path&) override {
            throw std::system_error(EINVAL, std::generic_category(), "renameat2");
        }
        void copy(const fs::path& from, const fs::path& to) override { real.copy(from, to); }
        void removeAll(const fs::path& path) override { real.removeAll(path); }
        bool exists(const fs::path& path) override { return real.exists(path); }
    };
    BundleSwapInstaller failingInstaller(bundle(), launcher, std::make_shared<TwoFailures>());
    EXPECT_THROW(failingInstaller.swap(staged()), std::system_error);
    EXPECT_FALSE(fs::exists(bundle()));
    auto left = besideTheBundle();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].rfind(".Velto.app.swap-", 0), 0u) << left[0];
    EXPECT_EQ(versionAt(bundle().parent_path() / left[0] / "previous"), "1.2");
}

TEST_F(BundleSwapInstallerTest, RelaunchesTheNewExecutableAfterTheSwap) {
    installer.install(staged());
    ASSERT_EQ(launcher->launches.size(), 1u);
    EXPECT_EQ(launcher->launches[0],
              (std::vector<std::string>{"/bin/sh", "-c", std::string(Relaunch::script), "velto-relaunch",
                                        std::to_string(::getpid()),
                                        (bundle() / "Contents/bin/velto-next").string()}));
}

TEST_F(BundleSwapInstallerTest, NeitherSwapsNorRelaunchesWithoutAnExecutable) {
    TestBundle::writeFile(stagedApp() / "Contents/Info.plist",
                          TestBundle::infoPlist({{"CFBundleExecutable", "../x"}}));
    EXPECT_THROW(installer.install(staged()), std::runtime_error);
    EXPECT_EQ(versionAt(bundle()), "1.2");
    EXPECT_TRUE(files->calls.empty());
    EXPECT_TRUE(launcher->launches.empty());

    TestBundle{.version = "1.3"}.make(folder.path() / "Other" / "Velto.app");
    files->failAt("exchange", 0, EIO);
    EXPECT_THROW(
        installer.install({*AppVersion::parse("1.3"), folder.path() / "Other" / "Velto.app", folder.path()}),
        std::system_error);
    EXPECT_TRUE(launcher->launches.empty());
}

TEST_F(BundleSwapInstallerTest, ReportsAFailedRelaunchAfterTheSwap) {
    launcher->fails = true;
    EXPECT_THROW(installer.install(staged()), std::system_error);
    EXPECT_EQ(versionAt(bundle()), "1.3");
}

} // namespace
} // namespace velto
