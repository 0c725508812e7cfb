#pragma once

#include "VeltoDevice/Connection/Backoff.hpp"
#include "VeltoDevice/Connection/ConnectionState.hpp"
#include "VeltoDevice/Connection/DeviceConnection.hpp"
#include "VeltoDevice/Connection/SessionHandlers.hpp"
#include "VeltoDevice/Enrollment/DeviceProfile.hpp"
#include "VeltoDevice/HTTP/DeviceIdentity.hpp"
#include "VeltoDevice/Protocol/DeviceMessage.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"

#include <boost/asio/awaitable.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "FixedSigningKey.hpp"
#include "ManualClock.hpp"
#include "ScriptedTransport.hpp"
#include "ScriptedWebSocketDialer.hpp"

namespace velto::testing {

/// One DeviceConnection over a scripted transport (its nonce requests), a scripted dialer and a
/// manual clock, with every state and profile it publishes collected as it comes. Not movable: the
/// connection's hello builder and jitter read this object's fields.
class ScriptedConnection {
public:
    static inline const VeltoServer server =
        VeltoServer::fromBaseURL(boost::urls::url("https://velto.example/"));

    ScriptedConnection(AsyncTestLoop& loop, std::shared_ptr<ManualClock> clock, SessionHandlers handlers = {},
                       std::shared_ptr<const DeviceSigningKey> key = std::make_shared<FixedSigningKey>())
        : loop_(loop) {
        DeviceIdentity identity(server, std::move(key), transport);
        connection = std::make_shared<DeviceConnection>(
            loop.executor(), identity, dialer, Backoff::standard(), std::move(clock), std::move(handlers),
            [this] { return buildHello(); }, [this] { return jitter; });
        loop.spawn(collect(connection->states(), states, statesFinished));
        loop.spawn(collect(connection->profiles(), profiles, profilesFinished));
    }

    /// Destroys the connection and lets the collectors see the streams finish.
    ~ScriptedConnection() {
        connection.reset();
        loop_.drain();
    }

    ScriptedConnection(const ScriptedConnection&) = delete;
    ScriptedConnection& operator=(const ScriptedConnection&) = delete;

    /// Answers the next nonce request with `nonce` in "DPoP-Nonce".
    void answerNonce(const std::string& nonce = "nonce-1") const {
        transport->answer(200, {{"DPoP-Nonce", nonce}});
    }

    void start() { run(connection->start()); }
    void stop() { run(connection->stop()); }
    void announce(DeviceMessage::Hello announced) { run(connection->announce(std::move(announced))); }

    /// Spawns the operation and runs everything that becomes ready.
    void run(boost::asio::awaitable<void> operation) {
        loop_.spawn(std::move(operation));
        loop_.drain();
    }

    /// The session's first frame, as it was sent for `hello`.
    static std::string helloFrame(const DeviceMessage::Hello& sent) {
        return DeviceMessage::hello(sent).encodedFrame();
    }

    static std::string welcomeFrame(const std::string& deviceId = "dev-1",
                                    const std::string& profile = std::string()) {
        std::string frame = R"({"v":1,"type":"welcome","deviceId":")" + deviceId +
                            R"(","nonce":"renewal-1","renewWithinMs":600000)";
        if (!profile.empty())
            frame += R"(,"profile":)" + profile;
        return frame + "}";
    }

    std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
    std::shared_ptr<ScriptedWebSocketDialer> dialer = std::make_shared<ScriptedWebSocketDialer>();
    std::shared_ptr<DeviceConnection> connection;

    /// What the next dial's hello builder returns.
    DeviceMessage::Hello hello{"1.4.2", {}, 16, 1};
    int hellosBuilt = 0;
    /// The jitter of every redial.
    double jitter = 0.0;

    std::vector<ConnectionState> states;
    std::vector<DeviceProfile> profiles;
    bool statesFinished = false;
    bool profilesFinished = false;

private:
    boost::asio::awaitable<DeviceMessage::Hello> buildHello() {
        ++hellosBuilt;
        co_return hello;
    }

    template <typename T>
    static boost::asio::awaitable<void> collect(NewestStream<T>& stream, std::vector<T>& into,
                                                bool& finished) {
        // The stream may be gone once it has finished; the read in flight holds what it needs.
        for (;;) {
            auto value = co_await stream.next();
            if (!value)
                break;
            into.push_back(std::move(*value));
        }
        finished = true;
    }

    AsyncTestLoop& loop_;
};

} // namespace velto::testing
