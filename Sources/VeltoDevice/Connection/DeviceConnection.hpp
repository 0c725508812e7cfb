#pragma once

#include "VeltoDevice/Connection/Backoff.hpp"
#include "VeltoDevice/Connection/ConnectionState.hpp"
#include "VeltoDevice/Connection/OrganizationSocket.hpp"
#include "VeltoDevice/Connection/SessionHandlers.hpp"
#include "VeltoDevice/Connection/WebSocketDialer.hpp"
#include "VeltoDevice/Enrollment/DeviceProfile.hpp"
#include "VeltoDevice/HTTP/DeviceIdentity.hpp"
#include "VeltoDevice/Protocol/DeviceMessage.hpp"
#include "VeltoDevice/Support/Clock.hpp"
#include "VeltoDevice/Support/NewestStream.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

namespace velto {

/// Keeps one enrolled organization connected: dials its WebSocket with a signed upgrade, runs one
/// device session on it until the session fails, and redials after a growing, jittered delay, until
/// stopped or until the server says this Mac is no longer welcome (revoked or replaced).
///
/// Lives on one executor (the device io_context) and is only touched from there; its operations
/// interleave only where they await. Log lines go to the category "connection".
class DeviceConnection final : public OrganizationSocket {
public:
    /// Builds the hello for each dial.
    using MakeHello = std::function<boost::asio::awaitable<DeviceMessage::Hello>()>;

    /// Unread states kept for a slow reader; older ones are dropped.
    static constexpr std::size_t keptStates = 8;
    /// Unread profiles kept: only the newest.
    static constexpr std::size_t keptProfiles = 1;
    /// The time-out of the upgrade request.
    static constexpr std::chrono::seconds upgradeTimeout{60};

    /// Copies the server, the signer and the HTTP client out of `identity`; publishes nothing.
    /// `jitter` draws each redial's jitter; Backoff::randomJitter when empty.
    DeviceConnection(boost::asio::any_io_executor executor, const DeviceIdentity& identity,
                     std::shared_ptr<WebSocketDialer> dialer, Backoff backoff, std::shared_ptr<Clock> clock,
                     SessionHandlers handlers, MakeHello makeHello, Backoff::Jitter jitter = {});
    /// Cancels the connection loop, if any, and finishes both streams.
    ~DeviceConnection() override;

    DeviceConnection(const DeviceConnection&) = delete;
    DeviceConnection& operator=(const DeviceConnection&) = delete;

    /// Every state the connection publishes, keeping the newest `keptStates` unread.
    NewestStream<ConnectionState>& states();
    /// The profile of every welcome, keeping only the newest unread.
    NewestStream<DeviceProfile>& profiles();

    /// Starts the connection loop unless it runs; a new loop begins with the first backoff attempt.
    boost::asio::awaitable<void> start() override;
    /// Cancels the loop and closes its socket at once (with 1001, even while the session waits on the
    /// runner), and publishes `offline`; the loop publishes nothing more.
    boost::asio::awaitable<void> stop() override;
    /// Sends the hello on the welcomed session now, or keeps it for the next welcome (where it is sent
    /// only when it differs from the hello that session opened with). A failed send is logged only.
    boost::asio::awaitable<void> announce(DeviceMessage::Hello hello) override;

private:
    struct Core;
    std::shared_ptr<Core> core_;
};

} // namespace velto
