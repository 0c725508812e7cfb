#include "VeltoDevice/HTTP/DeviceIdentity.hpp"

#include <gtest/gtest.h>

#include "AsyncTestLoop.hpp"
#include "FixedSigningKey.hpp"
#include "ScriptedTransport.hpp"

namespace velto {
namespace {

class DeviceIdentityTest : public ::testing::Test {
protected:
    VeltoServer server = VeltoServer::fromAddress("https://velto.example.com");
    std::shared_ptr<const DeviceSigningKey> key =
        std::make_shared<testing::FixedSigningKey>(testing::FixedSigningKey::known());
    std::shared_ptr<testing::ScriptedTransport> transport = std::make_shared<testing::ScriptedTransport>();
};

TEST_F(DeviceIdentityTest, PartsAreBuiltOverTheSameServerAndKey) {
    DeviceIdentity identity(server, key, transport);
    EXPECT_EQ(identity.server, server);
    EXPECT_EQ(identity.http.server(), identity.server);
    EXPECT_EQ(identity.signer.key(), key);
    EXPECT_EQ(identity.http.signer().key(), key);
    EXPECT_EQ(identity.http.transport(), transport);
    ASSERT_TRUE(identity.http.nonces());
}

TEST_F(DeviceIdentityTest, TwoIdentitiesNeverShareANonce) {
    DeviceIdentity first(server, key, transport);
    DeviceIdentity second(server, key, transport);
    EXPECT_NE(first.http.nonces(), second.http.nonces());
    first.http.nonces()->store("n1");
    EXPECT_EQ(second.http.nonces()->take(), std::nullopt);
    EXPECT_EQ(first.http.nonces()->take(), "n1");
}

TEST_F(DeviceIdentityTest, CopiesShareTheirNonce) {
    DeviceIdentity original(server, key, transport);
    DeviceIdentity copy = original;
    original.http.nonces()->store("n1");

    // Taken through the copy, the nonce is gone from the original too, and it signs the copy's request.
    testing::AsyncTestLoop loop;
    transport->answer(200);
    loop.run(copy.http.get(server.organizationPhotoURL()));
    ASSERT_EQ(transport->requests().size(), 1u);
    EXPECT_TRUE(transport->requests()[0].header("DPoP"));
    EXPECT_EQ(original.http.nonces()->take(), std::nullopt);

    copy.http.nonces()->store("n2");
    EXPECT_EQ(original.http.nonces()->take(), "n2");
}

} // namespace
} // namespace velto
