#pragma once

#include "VeltoDevice/Connection/WebSocketChannel.hpp"

#include <boost/asio/awaitable.hpp>

#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace velto::testing {

/// A WebSocket channel whose incoming messages a test scripts, in order: text, binary (received as
/// nothing) or a failure. A failure, once reached, stays: every later receive and send throws it, as
/// on a socket that has gone. Messages may be queued before or while the session runs; `receive`
/// waits for the next one. Sends are recorded, and may be made to fail by a rule.
///
/// Like the real channel, cancelling a waiting `receive` closes the socket (`closedByCancellation`)
/// and ends with operation_aborted; after `close()` or such a cancellation, receives and sends throw
/// the closed error (a std::runtime_error unless set). Every send and receive yields to the loop once
/// first. Use from the test loop's thread.
class ScriptedWebSocketChannel final : public WebSocketChannel {
public:
    /// Returns null to let the send through, or the error to throw for it.
    using SendRule = std::function<std::exception_ptr(const std::string& text)>;
    using SendObserver = std::function<void(const std::string& text)>;

    ScriptedWebSocketChannel();
    ~ScriptedWebSocketChannel() override;

    ScriptedWebSocketChannel& deliver(std::string text);
    ScriptedWebSocketChannel& deliverBinary();
    ScriptedWebSocketChannel& fail(std::exception_ptr error);
    template <typename E> ScriptedWebSocketChannel& fail(E error) {
        return fail(std::make_exception_ptr(std::move(error)));
    }

    /// Decides the outcome of every later send.
    void failSends(SendRule rule) { sendRule_ = std::move(rule); }
    /// Fails every later send whose text contains `fragment` with `error`.
    void failSendsContaining(std::string fragment, std::exception_ptr error);
    /// Called with each text after it was sent (a test may deliver the server's answer from here).
    void onSend(SendObserver observer) { sendObserver_ = std::move(observer); }
    /// What receives and sends throw after the channel was closed.
    void setClosedError(std::exception_ptr error) { closedError_ = std::move(error); }

    boost::asio::awaitable<void> send(std::string text) override;
    boost::asio::awaitable<std::optional<std::string>> receive() override;
    void close() override;

    /// The texts sent successfully, in order.
    const std::vector<std::string>& sent() const { return sent_; }
    /// The sent texts whose JSON "type" is `type`.
    std::vector<std::string> sentOfType(std::string_view type) const;
    /// The "type" of every sent text, in order ("" for a text without one).
    std::vector<std::string> sentTypes() const;
    std::size_t sendAttempts() const { return sendAttempts_; }

    std::size_t closeCount() const { return closeCount_; }
    bool closedByCancellation() const { return closedByCancellation_; }
    bool isClosed() const { return closeCount_ > 0 || closedByCancellation_; }
    bool isReceiving() const { return waiter_ != nullptr; }
    /// Scripted messages not yet received.
    std::size_t pendingIncoming() const { return incoming_.size(); }

private:
    struct Binary {};
    using Incoming = std::variant<std::string, Binary, std::exception_ptr>;
    struct Waiter;

    void wake();
    [[noreturn]] void throwClosed() const;

    std::deque<Incoming> incoming_;
    std::exception_ptr broken_;
    std::exception_ptr closedError_;
    std::shared_ptr<Waiter> waiter_;
    SendRule sendRule_;
    SendObserver sendObserver_;
    std::vector<std::string> sent_;
    std::size_t sendAttempts_ = 0;
    std::size_t closeCount_ = 0;
    bool closedByCancellation_ = false;
};

} // namespace velto::testing
