#include "ScriptedTransport.hpp"

#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <stdexcept>

namespace velto::testing {

namespace {

struct InFlight {
    explicit InFlight(std::size_t& count) : count_(count) { ++count_; }
    ~InFlight() { --count_; }
    InFlight(const InFlight&) = delete;
    InFlight& operator=(const InFlight&) = delete;

private:
    std::size_t& count_;
};

} // namespace

boost::asio::awaitable<HTTPReply> ScriptedTransport::send(HTTPRequest request) {
    requests_.push_back(request);
    InFlight flight(inFlight_);
    if (script_.empty()) {
        throw std::logic_error("no answer scripted for " + request.method + " " +
                               std::string(request.url.buffer()));
    }
    Step step = std::move(script_.front());
    script_.pop_front();

    auto executor = co_await boost::asio::this_coro::executor;
    co_await boost::asio::post(executor, boost::asio::use_awaitable);

    if (std::holds_alternative<Hang>(step)) {
        boost::asio::steady_timer never(executor, boost::asio::steady_timer::time_point::max());
        co_await never.async_wait(boost::asio::use_awaitable);
        throw std::logic_error("a hanging request was answered");
    }
    if (auto* error = std::get_if<ServerError>(&step))
        throw *error;
    if (auto* responder = std::get_if<Responder>(&step))
        co_return (*responder)(request);
    co_return std::get<HTTPReply>(std::move(step));
}

} // namespace velto::testing
