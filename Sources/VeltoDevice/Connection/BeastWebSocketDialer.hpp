#pragma once

#include "VeltoDevice/Connection/WebSocketDialer.hpp"
#include "VeltoDevice/HTTP/TLSTrust.hpp"
#include "VeltoDevice/Support/Clock.hpp"

#include <boost/asio/any_io_executor.hpp>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>

namespace velto {

/// Opens WebSockets with Boost.Beast on the given executor: wss verified against the system's trust
/// store (with SNI and host name checks), plain ws only to this machine.
class BeastWebSocketDialer final : public WebSocketDialer {
public:
    struct Options {
        /// A PEM file of certificate authorities trusted besides the system store.
        std::optional<std::filesystem::path> extraTrustAnchor{};
        /// The shared trust to verify against; when empty, one of its own over `extraTrustAnchor`
        /// (or the process's standard one when there is no anchor).
        std::shared_ptr<TLSTrust> trust{};
        /// Times the request's time-out, which bounds the opening; the system clock when empty.
        std::shared_ptr<Clock> clock{};
        /// The largest incoming message; a longer one fails the channel as `dropped`.
        std::size_t messageLimit = 16 * 1024 * 1024;
    };

    explicit BeastWebSocketDialer(boost::asio::any_io_executor executor);
    /// Throws boost::system::system_error when the trust anchor cannot be loaded.
    BeastWebSocketDialer(boost::asio::any_io_executor executor, Options options);
    ~BeastWebSocketDialer() override;

    BeastWebSocketDialer(const BeastWebSocketDialer&) = delete;
    BeastWebSocketDialer& operator=(const BeastWebSocketDialer&) = delete;

    std::shared_ptr<WebSocketChannel> open(HTTPRequest request) override;

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

} // namespace velto
