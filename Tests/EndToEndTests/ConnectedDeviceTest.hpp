#pragma once

#include "VeltoDevice/Connection/BeastWebSocketDialer.hpp"
#include "VeltoDevice/Connection/DeviceConnection.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "EnrolledDeviceTest.hpp"
#include "ManualClock.hpp"

namespace velto::testing {

/// An enrolled device whose connection dials the peer's session endpoint over TLS. Redial delays and
/// renewals run on a manual clock the test moves; the sockets are real. `makeConnection` builds the
/// connection with the session handlers the test wants.
struct ConnectedDeviceTest : EnrolledDeviceTest {
    using State = ConnectionState;

    void SetUp() override {
        offerCodes(Json::parse(R"([{"code":"7KQ2MX9D",
            "organization":{"id":"org-acme","name":"Acme"},
            "user":{"login":"ada","name":"Ada Lovelace","avatarUrl":"https://cdn.example/ada.png"}}])"));
        enrollment.emplace(enrolled(identity, "7KQ2-MX9D"));
        dialer = std::make_shared<BeastWebSocketDialer>(
            loop.executor(), BeastWebSocketDialer::Options{.extraTrustAnchor = peer.caFile()});
    }

    void TearDown() override {
        connection.reset();
        loop.drain();
    }

    void makeConnection(SessionHandlers handlers) {
        connection = std::make_unique<DeviceConnection>(
            loop.executor(), identity, dialer, Backoff::standard(), clock, std::move(handlers),
            [this]() -> boost::asio::awaitable<DeviceMessage::Hello> { co_return hello; });
    }

    /// The next state the connection publishes, waiting for the network as needed.
    State nextState() {
        auto state = loop.run(connection->states().next(), std::chrono::seconds(20));
        if (!state)
            throw std::runtime_error("the states ended");
        return *state;
    }

    /// The peer's sessions once they satisfy `holds`, running the device's loop meanwhile.
    Json sessionsWhen(const std::function<bool(const Json&)>& holds) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            Json sessions = peer.control("GET", "/control/connect/sessions")["sessions"];
            if (holds(sessions))
                return sessions;
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the peer never saw what the test waits for: " << sessions.dump();
                return sessions;
            }
            loop.context().restart();
            loop.context().run_for(std::chrono::milliseconds(20));
        }
    }

    void advance(Clock::Duration duration) {
        loop.drain();
        clock->advance(duration);
        loop.drain();
    }

    void connect() {
        loop.run(connection->start());
        ASSERT_EQ(nextState(), State::connecting());
        ASSERT_EQ(nextState(), State::connected(enrollment->deviceId));
    }

    DeviceIdentity identity = newIdentity();
    std::optional<Enrollment> enrollment;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::shared_ptr<BeastWebSocketDialer> dialer;
    DeviceMessage::Hello hello{
        "1.4.2", {HarnessReport{HarnessKind::claudeCode, "2.1.0", true, std::nullopt}}, 0, 1};
    std::unique_ptr<DeviceConnection> connection;
};

} // namespace velto::testing
