#include "VeltoDevice/Scopes/DeviceScope.hpp"
#include "VeltoDevice/Scopes/DeviceScopes.hpp"
#include "VeltoDevice/Scopes/DeviceScopesClient.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "EnrolledDeviceTest.hpp"

namespace velto {
namespace {

using testing::EnrolledDeviceTest;

struct DeviceScopesEndToEnd : EnrolledDeviceTest {
    void SetUp() override { offerCodes({"7KQ2MX9D"}); }
};

TEST_F(DeviceScopesEndToEnd, AScopeAnsweredIsReadBack) {
    DeviceIdentity identity = newIdentity();
    Enrollment enrollment = enrolled(identity, "7KQ2MX9D");
    DeviceScopesClient client{server, identity.http, enrollment.deviceId};

    DeviceScopes before = loop.run(client.fetch());
    EXPECT_EQ(before.deviceId, enrollment.deviceId);
    ASSERT_EQ(before.scopes.size(), 4u);
    for (DeviceScope scope : allDeviceScopes)
        EXPECT_FALSE(before.holds(scope)) << rawValue(scope);

    DeviceScopes answered = loop.run(client.answer(DeviceScope::sreQuestions, true));
    EXPECT_TRUE(answered.holds(DeviceScope::sreQuestions));
    EXPECT_FALSE(answered.holds(DeviceScope::sreReach));
    DeviceScopes readBack = loop.run(client.fetch());
    EXPECT_EQ(readBack, answered);
    ASSERT_TRUE(readBack.state(DeviceScope::sreQuestions));
    EXPECT_TRUE(readBack.state(DeviceScope::sreQuestions)->grantedAt);

    loop.run(client.answer(DeviceScope::sreQuestions, false));
    EXPECT_FALSE(loop.run(client.fetch()).holds(DeviceScope::sreQuestions));
    EXPECT_EQ(enrolledDevices()[0]["scopes"]["sre-questions"], Json({{"isHeld", false}}));

    Json seen = peer.stats();
    EXPECT_EQ(seen["rejectedProofs"], 0) << seen["rejections"].dump();
    EXPECT_EQ(seen["nonceRequests"], 1) << "each reply's nonce serves the next request";
}

TEST_F(DeviceScopesEndToEnd, ADeviceThePeerDoesNotKnowIsRevoked) {
    DeviceIdentity identity = newIdentity();
    Enrollment enrollment = enrolled(identity, "7KQ2MX9D");
    struct Row {
        const char* name;
        DeviceScopesClient client;
    };
    const std::vector<Row> rows = {
        {"an unknown device id", {server, identity.http, "dev-unknown"}},
        {"another key", {server, newIdentity().http, enrollment.deviceId}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_THROW(
            {
                try {
                    loop.run(row.client.fetch());
                } catch (const ConnectionError& error) {
                    EXPECT_EQ(error, ConnectionError::revoked());
                    throw;
                }
            },
            ConnectionError);
        EXPECT_THROW(loop.run(row.client.answer(DeviceScope::reviews, true)), ConnectionError);
    }
    EXPECT_EQ(enrolledDevices()[0]["scopes"], Json::object());
}

} // namespace
} // namespace velto
