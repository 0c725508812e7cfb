#include "ScriptedWebSocketChannel.hpp"

#include <boost/asio/error.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/system/system_error.hpp>
#include <nlohmann/json.hpp>

#include <stdexcept>

namespace velto::testing {

struct ScriptedWebSocketChannel::Waiter {
    explicit Waiter(const boost::asio::any_io_executor& executor) : timer(executor) {}
    boost::asio::steady_timer timer;
    bool woken = false;
};

namespace {

std::string typeOf(const std::string& text) {
    auto value = nlohmann::json::parse(text, nullptr, false);
    if (value.is_object()) {
        auto type = value.find("type");
        if (type != value.end() && type->is_string())
            return type->get<std::string>();
    }
    return {};
}

[[noreturn]] void throwAborted() {
    throw boost::system::system_error(boost::asio::error::operation_aborted);
}

} // namespace

ScriptedWebSocketChannel::ScriptedWebSocketChannel()
    : closedError_(std::make_exception_ptr(std::runtime_error("the socket was closed"))) {}

ScriptedWebSocketChannel::~ScriptedWebSocketChannel() = default;

ScriptedWebSocketChannel& ScriptedWebSocketChannel::deliver(std::string text) {
    incoming_.emplace_back(std::move(text));
    wake();
    return *this;
}

ScriptedWebSocketChannel& ScriptedWebSocketChannel::deliverBinary() {
    incoming_.emplace_back(Binary{});
    wake();
    return *this;
}

ScriptedWebSocketChannel& ScriptedWebSocketChannel::fail(std::exception_ptr error) {
    incoming_.emplace_back(std::move(error));
    wake();
    return *this;
}

void ScriptedWebSocketChannel::failSendsContaining(std::string fragment, std::exception_ptr error) {
    failSends([fragment = std::move(fragment), error = std::move(error)](const std::string& text) {
        return text.find(fragment) != std::string::npos ? error : nullptr;
    });
}

void ScriptedWebSocketChannel::wake() {
    if (!waiter_)
        return;
    auto waiter = std::move(waiter_);
    waiter_.reset();
    waiter->woken = true;
    waiter->timer.cancel();
}

void ScriptedWebSocketChannel::throwClosed() const {
    std::rethrow_exception(closedError_);
}

boost::asio::awaitable<void> ScriptedWebSocketChannel::send(std::string text) {
    ++sendAttempts_;
    co_await boost::asio::post(co_await boost::asio::this_coro::executor, boost::asio::use_awaitable);
    if (isClosed())
        throwClosed();
    if (broken_)
        std::rethrow_exception(broken_);
    if (sendRule_) {
        if (auto error = sendRule_(text))
            std::rethrow_exception(error);
    }
    sent_.push_back(text);
    if (sendObserver_)
        sendObserver_(text);
}

boost::asio::awaitable<std::optional<std::string>> ScriptedWebSocketChannel::receive() {
    if (waiter_)
        throw std::logic_error("two receives at once on one channel");
    auto executor = co_await boost::asio::this_coro::executor;
    try {
        co_await boost::asio::post(executor, boost::asio::use_awaitable);
    } catch (const boost::system::system_error&) {
        // Cancelled before it began: the real channel closes the socket all the same.
        closedByCancellation_ = true;
        throw;
    }
    for (;;) {
        if (isClosed())
            throwClosed();
        if (broken_)
            std::rethrow_exception(broken_);
        if (!incoming_.empty()) {
            Incoming next = std::move(incoming_.front());
            incoming_.pop_front();
            if (auto* text = std::get_if<std::string>(&next))
                co_return std::move(*text);
            if (std::holds_alternative<Binary>(next))
                co_return std::nullopt;
            broken_ = std::get<std::exception_ptr>(next);
            std::rethrow_exception(broken_);
        }

        auto waiter = std::make_shared<Waiter>(executor);
        waiter->timer.expires_at(boost::asio::steady_timer::time_point::max());
        waiter_ = waiter;
        boost::system::error_code error;
        co_await waiter->timer.async_wait(boost::asio::redirect_error(boost::asio::use_awaitable, error));
        if (!waiter->woken) {
            if (waiter_ == waiter)
                waiter_.reset();
            closedByCancellation_ = true;
            throwAborted();
        }
        // Woken and cancelled at once (the loser of a race): the message stays unread.
        auto cancellation = co_await boost::asio::this_coro::cancellation_state;
        if (cancellation.cancelled() != boost::asio::cancellation_type::none) {
            closedByCancellation_ = true;
            throwAborted();
        }
    }
}

void ScriptedWebSocketChannel::close() {
    ++closeCount_;
    wake();
}

std::vector<std::string> ScriptedWebSocketChannel::sentOfType(std::string_view type) const {
    std::vector<std::string> out;
    for (const auto& text : sent_) {
        if (typeOf(text) == type)
            out.push_back(text);
    }
    return out;
}

std::vector<std::string> ScriptedWebSocketChannel::sentTypes() const {
    std::vector<std::string> out;
    for (const auto& text : sent_)
        out.push_back(typeOf(text));
    return out;
}

} // namespace velto::testing
