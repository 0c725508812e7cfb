#pragma once

#include <boost/asio/awaitable.hpp>

#include <optional>
#include <string>

namespace velto {

/// One open WebSocket as the session sees it. `send` and `receive` may be awaited at the same time
/// from different coroutines. Every error they throw is a ConnectionError, or operation_aborted when
/// the awaiting coroutine was cancelled; such a cancellation closes the whole socket with 1001 and
/// so ends the other operations waiting on it.
class WebSocketChannel {
public:
    virtual ~WebSocketChannel() = default;

    /// Sends one text message.
    virtual boost::asio::awaitable<void> send(std::string text) = 0;
    /// The next message: its text for a text message, nothing for a binary one.
    virtual boost::asio::awaitable<std::optional<std::string>> receive() = 0;
    /// Closes the socket with 1001 (going away) without waiting. Harmless when repeated or after a failure.
    virtual void close() = 0;
};

} // namespace velto
