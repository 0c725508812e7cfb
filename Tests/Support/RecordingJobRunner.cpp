#include "RecordingJobRunner.hpp"

#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/error.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/system/system_error.hpp>

#include <algorithm>
#include <utility>

namespace velto::testing {

void PrintTo(const RecordingJobRunner::Call& call, std::ostream* out) {
    static const char* const names[] = {"reserve", "release", "start", "deliver", "cancel", "cancelAll"};
    *out << names[static_cast<int>(call.kind)] << "(" << call.jobId;
    if (!call.text.empty())
        *out << ", " << call.text;
    *out << ")";
}

struct RecordingJobRunner::Waiter {
    explicit Waiter(const boost::asio::any_io_executor& executor)
        : timer(executor, boost::asio::steady_timer::time_point::max()) {}
    boost::asio::steady_timer timer;
    bool opened = false;
};

boost::asio::awaitable<void> RecordingJobRunner::yield() {
    co_await boost::asio::post(co_await boost::asio::this_coro::executor, boost::asio::use_awaitable);
}

void RecordingJobRunner::openGate() {
    gateOpen_ = true;
    for (auto& waiter : std::exchange(gate_, {})) {
        waiter->opened = true;
        waiter->timer.cancel();
    }
}

boost::asio::awaitable<void> RecordingJobRunner::pass(std::optional<Hold> hold) {
    if (!hold || gateOpen_)
        co_return;
    auto waiter = std::make_shared<Waiter>(co_await boost::asio::this_coro::executor);
    gate_.push_back(waiter);
    boost::system::error_code ignored;
    if (*hold == Hold::cancellable) {
        co_await waiter->timer.async_wait(boost::asio::redirect_error(boost::asio::use_awaitable, ignored));
    } else {
        co_await waiter->timer.async_wait(boost::asio::bind_cancellation_slot(
            boost::asio::cancellation_slot(),
            boost::asio::redirect_error(boost::asio::use_awaitable, ignored)));
    }
    if (!waiter->opened) {
        std::erase(gate_, waiter);
        throw boost::system::system_error(boost::asio::error::operation_aborted);
    }
}

boost::asio::awaitable<std::optional<JobDeclineReason>>
RecordingJobRunner::reserve(ServerMessage::JobOffer offer) {
    calls_.push_back({Call::Kind::reserve, offer.jobId, {}});
    offers_.push_back(offer);
    co_await yield();
    co_await pass(reserveHold_);
    auto reason = reasons_.find(offer.jobId);
    if (reason != reasons_.end())
        co_return reason->second;
    if (everyReason_)
        co_return everyReason_;
    if (capacity_ && placesTaken() >= *capacity_)
        co_return JobDeclineReason::busy;
    reserved_.insert(offer.jobId);
    co_return std::nullopt;
}

boost::asio::awaitable<void> RecordingJobRunner::release(std::string jobId) {
    calls_.push_back({Call::Kind::release, jobId, {}});
    reserved_.erase(jobId);
    co_await yield();
}

boost::asio::awaitable<void> RecordingJobRunner::start(std::string jobId, Bytes document, Send send) {
    calls_.push_back({Call::Kind::start, jobId, toString(document)});
    std::exception_ptr failure;
    try {
        co_await yield();
        co_await pass(startHold_);
        auto error = startErrors_.find(jobId);
        if (error != startErrors_.end())
            std::rethrow_exception(error->second);
    } catch (...) {
        failure = std::current_exception();
    }
    // Started or not, the reservation is over; a start that did not happen gives the place back.
    reserved_.erase(jobId);
    if (failure)
        std::rethrow_exception(failure);
    running_.insert(jobId);
    sends_[jobId] = std::move(send);
}

boost::asio::awaitable<void> RecordingJobRunner::deliver(std::string toolResultFrame, std::string jobId) {
    calls_.push_back({Call::Kind::deliver, jobId, toolResultFrame});
    co_await yield();
}

boost::asio::awaitable<void> RecordingJobRunner::cancel(std::string jobId) {
    calls_.push_back({Call::Kind::cancel, jobId, {}});
    running_.erase(jobId);
    co_await yield();
    completedCancels_.push_back(jobId);
}

boost::asio::awaitable<void> RecordingJobRunner::cancelAll() {
    calls_.push_back({Call::Kind::cancelAll, {}, {}});
    co_await yield();
}

std::vector<std::string> RecordingJobRunner::jobIds(Call::Kind kind) const {
    std::vector<std::string> out;
    for (const auto& call : calls_) {
        if (call.kind == kind)
            out.push_back(call.jobId);
    }
    return out;
}

} // namespace velto::testing
