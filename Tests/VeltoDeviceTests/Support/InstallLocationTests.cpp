#include "VeltoDevice/Support/InstallLocation.hpp"
#include "VeltoDevice/Support/SystemInstallLocationProbe.hpp"

#include <gtest/gtest.h>

#include <set>

#include "TemporaryFolder.hpp"

namespace velto {
namespace {

using Problem = InstallLocationProblem;

/// Answers as the test says: read-only or not (or cannot tell), and which paths are not writable.
class ScriptedProbe final : public InstallLocationProbe {
public:
    std::optional<bool> readOnly = false;
    std::set<std::string> notWritable;
    mutable std::vector<std::string> asked;

    std::optional<bool> isOnReadOnlyVolume(const std::filesystem::path& path) const override {
        asked.push_back("volume " + path.string());
        return readOnly;
    }
    bool isWritable(const std::filesystem::path& path) const override {
        asked.push_back("writable " + path.string());
        return notWritable.count(path.string()) == 0;
    }
};

TEST(InstallLocation, TakesTheFirstProblemInOrder) {
    struct Case {
        const char* bundle;
        std::optional<bool> readOnly;
        std::set<std::string> notWritable;
        std::optional<Problem> problem;
    };
    const Case cases[] = {
        {"/opt/Velto.app", false, {}, std::nullopt},
        {"/opt/Velto.app/", false, {}, std::nullopt},
        {"/opt/Velto.APP", false, {}, Problem::notAppBundle},
        {"/opt/Velto", false, {}, Problem::notAppBundle},
        {"/opt/velto/bin", false, {}, Problem::notAppBundle},
        {"/opt/Velto.app.zip", false, {}, Problem::notAppBundle},
        {"/tmp/AppTranslocation/X/Velto.app", true, {"/tmp/AppTranslocation/X"}, Problem::translocated},
        {"/opt/Velto.app", true, {"/opt"}, Problem::readOnlyVolume},
        {"/opt/Velto.app", std::nullopt, {}, std::nullopt},
        {"/opt/Velto.app", std::nullopt, {"/opt/Velto.app"}, Problem::notWritable},
        {"/opt/Velto.app", false, {"/opt"}, Problem::notWritable},
        {"/opt/Velto.app", false, {"/opt/Velto.app"}, Problem::notWritable},
    };
    for (const auto& c : cases) {
        ScriptedProbe probe;
        probe.readOnly = c.readOnly;
        probe.notWritable = c.notWritable;
        EXPECT_EQ(InstallLocation::problem(c.bundle, probe), c.problem) << c.bundle;
    }
}

TEST(InstallLocation, TestsTheFolderBeforeTheBundle) {
    ScriptedProbe probe;
    probe.notWritable = {"/opt"};
    EXPECT_EQ(InstallLocation::problem("/opt/Velto.app", probe), Problem::notWritable);
    EXPECT_EQ(probe.asked, (std::vector<std::string>{"volume /opt/Velto.app", "writable /opt"}));
}

TEST(InstallLocation, AsksTheFileSystemByDefault) {
    testing::TemporaryFolder folder;
    auto bundle = folder.path() / "Velto.app";
    std::filesystem::create_directory(bundle);
    EXPECT_EQ(InstallLocation::problem(bundle), std::nullopt);
    SystemInstallLocationProbe probe;
    EXPECT_EQ(probe.isOnReadOnlyVolume(bundle), false);
    EXPECT_EQ(probe.isOnReadOnlyVolume(folder.path() / "missing"), std::nullopt);
    EXPECT_FALSE(probe.isWritable(folder.path() / "missing"));
}

TEST(InstallLocationProblem, PrintsItsClauses) {
    EXPECT_EQ(description(Problem::notAppBundle), "it is not running from an app bundle");
    EXPECT_EQ(description(Problem::translocated), "it runs from a temporary AppTranslocation copy");
    EXPECT_EQ(description(Problem::readOnlyVolume), "it is on a read-only volume");
    EXPECT_EQ(description(Problem::notWritable), "its folder is not writable");
}

} // namespace
} // namespace velto
