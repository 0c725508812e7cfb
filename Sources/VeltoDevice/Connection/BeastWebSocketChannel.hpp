#pragma once

#include "VeltoDevice/Connection/WebSocketChannel.hpp"
#include "VeltoDevice/HTTP/HTTPRequest.hpp"
#include "VeltoDevice/Support/Clock.hpp"

#include <boost/asio/any_io_executor.hpp>

#include <cstddef>
#include <memory>

namespace boost::asio::ssl {
class context;
}

namespace velto {

/// A WebSocket on Boost.Beast, over TLS for wss and plain TCP for ws. The opening (resolve, connect,
/// TLS, upgrade) runs in the background from construction, bounded by the request's time-out on the
/// clock. Sends are queued so that messages never interleave. Failures become ConnectionErrors: a
/// refused upgrade by its status and "WWW-Authenticate", a server's close by its code, anything else
/// `dropped`. Destroying the channel closes the socket.
class BeastWebSocketChannel final : public WebSocketChannel {
public:
    struct Dependencies {
        boost::asio::any_io_executor executor;
        /// The client context for wss; shared by every channel of one dialer.
        std::shared_ptr<boost::asio::ssl::context> tls;
        std::shared_ptr<Clock> clock;
        std::size_t messageLimit = 16 * 1024 * 1024;
    };

    BeastWebSocketChannel(Dependencies dependencies, HTTPRequest request);
    ~BeastWebSocketChannel() override;

    BeastWebSocketChannel(const BeastWebSocketChannel&) = delete;
    BeastWebSocketChannel& operator=(const BeastWebSocketChannel&) = delete;

    boost::asio::awaitable<void> send(std::string text) override;
    boost::asio::awaitable<std::optional<std::string>> receive() override;
    void close() override;

    class Core;

private:
    std::shared_ptr<Core> core_;
};

} // namespace velto
