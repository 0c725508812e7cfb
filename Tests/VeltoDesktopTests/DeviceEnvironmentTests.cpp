#include "VeltoDesktop/Model/DeviceEnvironment.hpp"

#include <gtest/gtest.h>

#include "TemporaryFolder.hpp"
#include "TestBundle.hpp"

namespace velto {
namespace {

using testing::TestBundle;

class DeviceEnvironmentTest : public ::testing::Test {
protected:
    void writeInfo(const std::map<std::string, std::string>& values) const {
        TestBundle::writeFile(bundle / "Contents" / "Info.plist", TestBundle::infoPlist(values));
    }
    std::filesystem::path resources() const { return bundle / "Contents" / "Resources"; }

    testing::TemporaryFolder folder;
    std::filesystem::path bundle = folder.path() / "Velto.app";
};

TEST_F(DeviceEnvironmentTest, TheBundleGivesTheVersionTheKeyAndItsResources) {
    writeInfo({{"CFBundleShortVersionString", "1.4.2"},
               {"CFBundleIdentifier", "app.velto.desktop"},
               {"VeltoUpdatePublicKey", "a2V5"}});
    TestBundle::writeFile(resources() / "velto-runner.mjs", "");
    TestBundle::writeFile(resources() / "agents" / "README.md", "");

    const auto values = DeviceEnvironment::read(bundle, {});
    EXPECT_EQ(values.appVersion, "1.4.2");
    EXPECT_EQ(values.bundleIdentifier, "app.velto.desktop");
    EXPECT_EQ(values.updatePublicKey, "a2V5");
    EXPECT_EQ(values.runnerScript, resources() / "velto-runner.mjs");
    EXPECT_EQ(values.agentResources, resources() / "agents");
    EXPECT_FALSE(values.commandLineTool) << "the bundle has no velto command";

    const auto named = DeviceEnvironment::read(bundle, {{"VELTO_RUNNER_SCRIPT", "/nowhere/runner.mjs"}});
    EXPECT_EQ(named.runnerScript, std::filesystem::path("/nowhere/runner.mjs"))
        << "the variable wins, even naming nothing";
}

TEST_F(DeviceEnvironmentTest, WithoutAVersionTheAgentIsZeroAndOutsideABundleItHasNoRunner) {
    writeInfo({{"CFBundleIdentifier", "app.velto.desktop"}});
    const auto values = DeviceEnvironment::read(bundle, {});
    EXPECT_EQ(values.appVersion, "0.0.0");
    EXPECT_FALSE(values.updatePublicKey);
    EXPECT_FALSE(values.runnerScript);
    EXPECT_FALSE(values.agentResources);
    const auto hello = values.emptyHello();
    EXPECT_EQ(hello.appVersion, "0.0.0");
    EXPECT_TRUE(hello.harnesses.empty());
    EXPECT_EQ(hello.capacity, 0);
    EXPECT_EQ(hello.runner, 1);

    const auto outside = DeviceEnvironment::read(std::nullopt, {});
    EXPECT_EQ(outside.appVersion, "0.0.0");
    EXPECT_FALSE(outside.runnerScript);
    EXPECT_FALSE(outside.bundle);
}

} // namespace
} // namespace velto
