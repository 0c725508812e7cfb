#include "VeltoDevice/CommandLineTool/CommandLineLoginClient.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineLogins.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "EnrolledDeviceTest.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

using testing::EnrolledDeviceTest;

struct CommandLineLoginEndToEnd : EnrolledDeviceTest {
    void SetUp() override {
        offerCodes({{{"code", "7KQ2MX9D"},
                     {"organization", {{"id", "org-acme"}, {"name", "Acme"}, {"slug", "acme"}}}}});
    }

    using Outcome = std::variant<CommandLineLogin, ServerError, ConnectionError>;
    Outcome login(const CommandLineLoginClient& client) {
        try {
            return loop.run(optionally(client.login())).value();
        } catch (const ServerError& error) {
            return error;
        } catch (const ConnectionError& error) {
            return error;
        }
    }
    static boost::asio::awaitable<std::optional<CommandLineLogin>>
    optionally(boost::asio::awaitable<CommandLineLogin> operation) {
        co_return co_await std::move(operation);
    }

    testing::TemporaryFolder home;
    CommandLineLogins logins{home.path() / ".velto" / "device-logins.json"};
};

TEST_F(CommandLineLoginEndToEnd, ALoginIsFetchedKeptAndLostWhenTheDeviceIsRevoked) {
    DeviceIdentity identity = newIdentity();
    Enrollment enrollment = enrolled(identity, "7KQ2MX9D");
    CommandLineLoginClient client(identity, enrollment.deviceId);

    Outcome fetched = login(client);
    ASSERT_TRUE(std::holds_alternative<CommandLineLogin>(fetched));
    const CommandLineLogin& first = std::get<CommandLineLogin>(fetched);
    Json issued = peer.control("GET", "/control/sessions")["sessions"];
    ASSERT_EQ(issued.size(), 1u);
    EXPECT_EQ(first, (CommandLineLogin{enrollment.deviceId,
                                       peer.baseURL(),
                                       issued[0]["token"],
                                       issued[0]["expiresAt"],
                                       {"Acme", "acme"}}));
    logins.keep(first);

    Outcome renewed = login(client);
    ASSERT_TRUE(std::holds_alternative<CommandLineLogin>(renewed));
    EXPECT_NE(std::get<CommandLineLogin>(renewed).token, first.token);
    logins.keep(std::get<CommandLineLogin>(renewed));
    EXPECT_EQ(logins.logins(), std::vector<CommandLineLogin>{std::get<CommandLineLogin>(renewed)});

    peer.control("POST", "/control/revoke", {{"deviceId", enrollment.deviceId}});
    EXPECT_EQ(login(client), Outcome(ConnectionError::revoked()));
    logins.forget(enrollment.deviceId);
    EXPECT_FALSE(std::filesystem::exists(logins.file()));

    Json seen = peer.stats();
    EXPECT_EQ(seen["rejectedProofs"], 0) << seen["rejections"].dump();
}

TEST_F(CommandLineLoginEndToEnd, AKeyThePeerDoesNotKnowIsRevoked) {
    DeviceIdentity stranger = newIdentity();
    EXPECT_EQ(login(CommandLineLoginClient(stranger, "dev-unknown")), Outcome(ConnectionError::revoked()));
}

TEST_F(CommandLineLoginEndToEnd, OtherAnswersOfTheServer) {
    DeviceIdentity identity = newIdentity();
    Enrollment enrollment = enrolled(identity, "7KQ2MX9D");
    CommandLineLoginClient client(identity, enrollment.deviceId);
    peer.control("POST", "/control/session-replies",
                 {{"replies",
                   {{{"status", 503}, {"raw", "busy"}},
                    {{"status", 500}, {"raw", ""}},
                    {{"status", 403}, {"body", {{"error", "DEVICES_UNKNOWN_DEVICE"}}}},
                    {{"status", 200},
                     {"body", {{"token", "t"}, {"expiresAt", "e"}, {"organization", {{"name", "A"}}}}}}}}});
    EXPECT_EQ(login(client), Outcome(ServerError::unexpectedStatus(503)));
    EXPECT_EQ(login(client), Outcome(ServerError::unexpectedStatus(500)));
    EXPECT_EQ(login(client), Outcome(ConnectionError::revoked()));
    EXPECT_EQ(login(client), Outcome(ServerError::malformedResponse()));
    EXPECT_TRUE(std::holds_alternative<CommandLineLogin>(login(client)))
        << "the scripted replies are used up";
}

} // namespace
} // namespace velto
