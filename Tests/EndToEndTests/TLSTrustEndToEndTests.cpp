#include "VeltoDevice/Connection/BeastWebSocketDialer.hpp"
#include "VeltoDevice/HTTP/BeastHTTPTransport.hpp"
#include "VeltoDevice/HTTP/TLSTrust.hpp"
#include "VeltoDevice/Server/ServerError.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "AsyncTestLoop.hpp"
#include "EndToEndPeer.hpp"
#include "ScopedEnvironmentVariable.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

using testing::AsyncTestLoop;
using testing::EndToEndPeer;

HTTPRequest nonceRequest(const EndToEndPeer& peer) {
    HTTPRequest request;
    request.method = "POST";
    request.url = boost::urls::url(peer.baseURL() + "api/devices/nonce");
    return request;
}

HTTPRequest echoUpgrade(const EndToEndPeer& peer) {
    HTTPRequest request;
    request.url =
        boost::urls::url("wss://127.0.0.1:" + std::to_string(peer.port()) + "/api/test/socket/echo");
    return request;
}

TEST(TLSTrust, TwoOrganizationsConnectionsShareOneContext) {
    EndToEndPeer peer;
    AsyncTestLoop loop;
    auto trust = std::make_shared<TLSTrust>(peer.caFile());
    // What connecting two organizations makes: a transport and a dialer each.
    for (int organization = 0; organization < 2; ++organization) {
        SCOPED_TRACE(organization);
        BeastHTTPTransport transport({.trust = trust});
        BeastWebSocketDialer dialer(loop.executor(), {.trust = trust});
        EXPECT_EQ(loop.run(transport.send(nonceRequest(peer))).status, 200);
        auto channel = dialer.open(echoUpgrade(peer));
        loop.run(channel->send("hello"));
        EXPECT_EQ(loop.run(channel->receive()), "hello");
        channel->close();
    }
    EXPECT_EQ(trust->contextsMade(), 1u);
}

TEST(TLSTrust, AChangedStoreFileMakesANewContextAndOnlyThen) {
    EndToEndPeer peer;
    AsyncTestLoop loop;
    testing::TemporaryFolder folder;
    const auto store = folder.path() / "store.pem";
    std::ofstream(store) << "";
    testing::ScopedEnvironmentVariable storeVariable("SSL_CERT_FILE", store.c_str());
    auto trust = std::make_shared<TLSTrust>();
    ASSERT_EQ(TLSTrust::storeFile(), store);
    BeastHTTPTransport transport({.trust = trust});

    EXPECT_THROW(loop.run(transport.send(nonceRequest(peer))), ServerError);
    EXPECT_THROW(loop.run(transport.send(nonceRequest(peer))), ServerError);
    EXPECT_EQ(trust->contextsMade(), 1u);
    const auto before = trust->context();

    // The authority added to the system's store is trusted without a restart.
    std::filesystem::copy_file(peer.caFile(), store, std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(loop.run(transport.send(nonceRequest(peer))).status, 200);
    EXPECT_EQ(loop.run(transport.send(nonceRequest(peer))).status, 200);
    EXPECT_EQ(trust->contextsMade(), 2u);
    EXPECT_NE(trust->context(), before);
}

TEST(TLSTrust, AnAnchorThatCannotBeReadIsRefusedAtOnce) {
    testing::TemporaryFolder folder;
    EXPECT_THROW(TLSTrust(folder.path() / "missing.pem"), boost::system::system_error);
}

} // namespace
} // namespace velto
