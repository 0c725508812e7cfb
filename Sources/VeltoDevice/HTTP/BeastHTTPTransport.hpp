#pragma once

#include "VeltoDevice/HTTP/HTTPTransport.hpp"
#include "VeltoDevice/HTTP/TLSTrust.hpp"
#include "VeltoDevice/Support/Clock.hpp"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

namespace velto {

/// The HTTP transport on Boost.Beast: https verified against the system's trust store (with SNI and
/// host name checks), plain http only to this machine. One connection per request; the request's
/// time-out bounds the whole exchange. Every failure to get an HTTP reply is a ServerError:
/// `unreachable` with a readable description (time-out and cancellation included) or
/// `malformedResponse` for a reply that is not HTTP; an address it must not talk to is
/// `insecureAddress` or `invalidAddress`, refused before any connection is made.
class BeastHTTPTransport final : public HTTPTransport {
public:
    static constexpr std::size_t defaultBodyLimit = 16 * 1024 * 1024;

    struct Options {
        /// A PEM file of certificate authorities trusted besides the system store.
        std::optional<std::filesystem::path> extraTrustAnchor = {};
        /// The shared trust to verify against; when empty, one of its own over `extraTrustAnchor`
        /// (or the process's standard one when there is no anchor).
        std::shared_ptr<TLSTrust> trust = {};
        /// Times the request's time-out; the system clock when empty.
        std::shared_ptr<Clock> clock = {};
        /// The largest reply body accepted; a longer one is `malformedResponse`.
        std::size_t bodyLimit = defaultBodyLimit;
    };

    BeastHTTPTransport();
    /// Throws boost::system::system_error when the trust anchor cannot be loaded.
    explicit BeastHTTPTransport(Options options);
    ~BeastHTTPTransport() override;

    BeastHTTPTransport(const BeastHTTPTransport&) = delete;
    BeastHTTPTransport& operator=(const BeastHTTPTransport&) = delete;

    boost::asio::awaitable<HTTPReply> send(HTTPRequest request) override;

    /// The reply in `bytes`, read as `send` reads one that the connection ends after: the same header
    /// and body limits and the same errors (`malformedResponse`, or `unreachable` for a reply cut
    /// short), without a socket.
    static HTTPReply readReply(std::string_view bytes, std::size_t bodyLimit = defaultBodyLimit);

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

} // namespace velto
