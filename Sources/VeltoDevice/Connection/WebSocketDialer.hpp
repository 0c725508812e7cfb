#pragma once

#include "VeltoDevice/Connection/WebSocketChannel.hpp"
#include "VeltoDevice/HTTP/HTTPRequest.hpp"

#include <memory>

namespace velto {

/// Opens the organization's WebSocket.
class WebSocketDialer {
public:
    virtual ~WebSocketDialer() = default;

    /// Starts the upgrade for `request` (its URL, time-out and header fields) and returns the channel
    /// at once: nothing waits and nothing throws here; a failed opening shows at the channel's first
    /// `send` or `receive`.
    virtual std::shared_ptr<WebSocketChannel> open(HTTPRequest request) = 0;
};

} // namespace velto
