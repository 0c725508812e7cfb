#include "VeltoDevice/LoginItem/LoginItemRefusal.hpp"

#include <fstream>

#include "FixedSigningKey.hpp"
#include "ModelFixture.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using testing::ModelFixture;
using testing::RoutedTransport;

RoutedTransport::Answer loginFor(const std::string& token) {
    return RoutedTransport::reply(200,
                                  Json{{"token", token},
                                       {"expiresAt", "2030-01-01T00:00:00Z"},
                                       {"organization", {{"id", "org"}, {"name", "Org"}, {"slug", "org"}}}}
                                      .dump());
}

class CommandLineLoginsTest : public ModelFixture {
protected:
    void connect(const std::string& deviceId, const std::string& organization, const std::string& server) {
        model->organizations().addAndConnect(enrollment(deviceId, organization, organization, server),
                                             std::make_shared<testing::FixedSigningKey>());
    }
    /// The hosts of the login requests, in order.
    std::vector<std::string> loginHosts() const {
        std::vector<std::string> hosts;
        for (const auto& request : services->transport->requests()) {
            if (request.url.path() == "/api/devices/session")
                hosts.emplace_back(request.url.host());
        }
        return hosts;
    }
    std::vector<std::string> storedIds() const {
        std::vector<std::string> ids;
        for (const auto& login : services->storedLogins())
            ids.push_back(login.deviceId);
        return ids;
    }
};

TEST_F(CommandLineLoginsTest, EveryRenewalGoesInDeviceIdOrderAndEachConnectFetchesOne) {
    services->transport->route("POST", "/api/devices/session", loginFor("vlt_1"));
    build();
    connect("dev-b", "org-b", "https://b.example");
    connect("dev-a", "org-a", "https://a.example");
    loop.drain();
    EXPECT_EQ(loginHosts(), (std::vector<std::string>{"b.example", "a.example"})) << "one per connect";
    EXPECT_EQ(storedIds(), (std::vector<std::string>{"dev-b", "dev-a"}));

    model->commandLine().keepLogins();
    model->commandLine().keepLogins();
    loop.drain();
    services->manualClock->advance(CommandLineModel::loginPeriod);
    loop.drain();
    EXPECT_EQ(loginHosts(), (std::vector<std::string>{"b.example", "a.example", "a.example", "b.example"}))
        << "one task, renewing the smaller device id first";
    const auto& sleeps = services->manualClock->requestedSleeps();
    EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), Clock::Duration(CommandLineModel::loginPeriod)), 2)
        << "one renewal task: its first wait, and the next after the renewal";
}

TEST_F(CommandLineLoginsTest, ARevokedDeviceIsForgottenSilentlyAndAnUnreachableServerIsLoggedPerId) {
    services->transport->route("POST", "/api/devices/session", loginFor("vlt_1"));
    build();
    connect("dev-a", "org-a", "https://a.example");
    connect("dev-b", "org-b", "https://b.example");
    loop.drain();
    ASSERT_EQ(storedIds().size(), 2u);

    services->transport->route(
        "POST", "/api/devices/session",
        {RoutedTransport::reply(401, R"({"code":"DEVICES_REVOKED"})"), RoutedTransport::unreachable()});
    loop.run(model->commandLine().refreshLogins());
    EXPECT_EQ(storedIds(), std::vector<std::string>{"dev-b"})
        << "the revoked login is deleted, the other stays";
    EXPECT_EQ(model->commandLine().identities().count("dev-a"), 0u);
    auto lines = log->messages("app");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.find("dev-a") != std::string::npos &&
                                       line.find("could not") != std::string::npos;
                            }),
              0);
    EXPECT_EQ(lines.back().rfind("could not refresh the velto command's login for dev-b: ", 0), 0u);

    loop.run(model->commandLine().refreshLogins());
    EXPECT_EQ(loginHosts().back(), "b.example") << "a revoked organization is not asked again";
}

TEST_F(CommandLineLoginsTest, TheLaunchTidyKeepsTheLoginsOfEverySavedOrganization) {
    // dev-locked is saved but its key cannot be read now; dev-gone was unpaired meanwhile.
    services->save({enrollment("dev-locked", "org-l", "Locked")});
    services->keys->storage("dev-locked")->setContents(std::nullopt);
    for (const char* id : {"dev-locked", "dev-gone"}) {
        CommandLineLogin login;
        login.deviceId = id;
        login.url = "https://velto.example/api/devices/session";
        login.token = "vlt_old";
        login.expiresAt = "2030-01-01T00:00:00Z";
        services->logins->keep(login);
    }
    build();
    loop.run(model->organizations().restore());
    model->commandLine().keepLogins();
    loop.drain();
    EXPECT_EQ(storedIds(), std::vector<std::string>{"dev-locked"});
}

TEST_F(CommandLineLoginsTest, ALoginFetchedForAnOrganizationRemovedMeanwhileIsNotKept) {
    services->transport->route("POST", "/api/devices/session", loginFor("vlt_1"));
    services->savedEnrollments = nullptr;
    build();
    connect("dev-a", "org-a", "https://a.example");
    loop.drain();
    services->logins->forget("dev-a");
    auto refreshing = loop.spawn(model->commandLine().refreshLogin("dev-a"));
    loop.run(model->commandLine().forgetLogin("dev-a"));
    loop.drain();
    EXPECT_TRUE(refreshing->done);
    EXPECT_TRUE(storedIds().empty());
}

TEST_F(CommandLineLoginsTest, ALoginItemRefusalStaysUntilAChangeSucceedsOrTheStateSettlesIt) {
    build();
    EXPECT_EQ(model->loginItem().state(), LoginItemState::off);
    // A folder in place of the entry file makes registering fail.
    std::filesystem::create_directories(services->folder.path() / "config" / "autostart" /
                                        "app.velto.desktop.desktop" / "x");
    auto refusal = model->loginItem().setOpensAtLogin(true);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(model->loginItem().refusal(), refusal);
    EXPECT_EQ(refusal->message().rfind("Velto could not add itself to your startup applications.", 0), 0u);
    EXPECT_EQ(log->messages("app").back(), "could not change the login item: " + refusal->message());

    std::filesystem::remove_all(services->folder.path() / "config" / "autostart");
    EXPECT_FALSE(model->loginItem().setOpensAtLogin(true));
    EXPECT_FALSE(model->loginItem().refusal());
    EXPECT_EQ(model->loginItem().state(), LoginItemState::on);
}

TEST_F(CommandLineLoginsTest, TheCommandsLinkIsReadAndInstalled) {
    const auto command = services->folder.path() / "Velto.app" / "Contents" / "Resources" / "velto";
    std::filesystem::create_directories(command.parent_path());
    std::ofstream(command) << "#!/bin/sh\n";
    std::filesystem::create_directories(services->folder.path() / "bin");
    build();
    EXPECT_EQ(model->commandLine().toolState(), CommandLineToolState::notInstalled);
    auto outcome = loop.run(model->commandLine().installTool());
    EXPECT_EQ(outcome, CommandLineToolInstall::installed());
    EXPECT_EQ(model->commandLine().toolState(), CommandLineToolState::installed);
    EXPECT_FALSE(model->commandLine().isInstallingTool());
}

TEST_F(CommandLineLoginsTest, WithoutAnInstallableBundleNoAddOnPassRuns) {
    services->detected = {
        HarnessStatus::installed(HarnessKind::codex, "/bin/codex", "0.9", LoginState::signedIn)};
    build();
    loop.run(model->harnesses().refresh());
    loop.run(model->harnesses().setWorksWith(HarnessKind::codex, true));
    EXPECT_EQ(model->preferences().monitoredAgents(), std::set<HarnessKind>{HarnessKind::codex});
    EXPECT_FALSE(model->harnesses().agentResources());
    EXPECT_TRUE(model->harnesses().agentOutcomes().empty());
}

} // namespace
} // namespace velto
