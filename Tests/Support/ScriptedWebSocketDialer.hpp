#pragma once

#include "VeltoDevice/Connection/WebSocketDialer.hpp"
#include "VeltoDevice/HTTP/HTTPRequest.hpp"

#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

#include "ScriptedWebSocketChannel.hpp"

namespace velto::testing {

/// A dialer that hands out scripted channels: the ones queued with `prepare`, in order, then a new
/// empty one per dial. Every upgrade request and every channel handed out is kept, so a test can
/// script a dial's socket after the dial. Use from the test loop's thread.
class ScriptedWebSocketDialer final : public WebSocketDialer {
public:
    /// Queues `channel` for a later dial and returns it.
    std::shared_ptr<ScriptedWebSocketChannel> prepare(
        std::shared_ptr<ScriptedWebSocketChannel> channel = std::make_shared<ScriptedWebSocketChannel>()) {
        prepared_.push_back(channel);
        return channel;
    }

    std::shared_ptr<WebSocketChannel> open(HTTPRequest request) override {
        requests_.push_back(std::move(request));
        std::shared_ptr<ScriptedWebSocketChannel> channel;
        if (prepared_.empty()) {
            channel = std::make_shared<ScriptedWebSocketChannel>();
        } else {
            channel = std::move(prepared_.front());
            prepared_.pop_front();
        }
        opened_.push_back(channel);
        return channel;
    }

    /// Every upgrade request, in the order dialled.
    const std::vector<HTTPRequest>& requests() const { return requests_; }
    /// The channel of every dial, in order.
    const std::vector<std::shared_ptr<ScriptedWebSocketChannel>>& opened() const { return opened_; }
    std::size_t dialCount() const { return opened_.size(); }
    /// The channel of the latest dial; throws std::out_of_range before the first.
    ScriptedWebSocketChannel& latest() const { return *opened_.at(opened_.size() - 1); }

private:
    std::deque<std::shared_ptr<ScriptedWebSocketChannel>> prepared_;
    std::vector<HTTPRequest> requests_;
    std::vector<std::shared_ptr<ScriptedWebSocketChannel>> opened_;
};

} // namespace velto::testing
