#include "VeltoDevice/Connection/RenewalSchedule.hpp"

#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/Log.hpp"

#include <boost/asio/error.hpp>
#include <boost/system/system_error.hpp>

#include <algorithm>
#include <vector>

namespace velto {

namespace {

const Logger& log() {
    static const Logger logger("renewal");
    return logger;
}

} // namespace

RenewalSchedule::RenewalSchedule(boost::asio::any_io_executor executor, std::shared_ptr<Clock> clock,
                                 SendProof sendProof)
    : executor_(std::move(executor)), clock_(std::move(clock)), sendProof_(std::move(sendProof)) {}

std::shared_ptr<RenewalSchedule> RenewalSchedule::make(boost::asio::any_io_executor executor,
                                                       std::shared_ptr<Clock> clock, SendProof sendProof) {
    return std::shared_ptr<RenewalSchedule>(
        new RenewalSchedule(std::move(executor), std::move(clock), std::move(sendProof)));
}

Clock::Duration RenewalSchedule::window(std::int64_t renewWithinMs) {
    return std::chrono::milliseconds(std::clamp(renewWithinMs, shortestWindowMs, longestWindowMs));
}

void RenewalSchedule::start(const std::string& nonce, std::int64_t renewWithinMs) {
    if (nonce_)
        return;
    schedule(nonce, renewWithinMs);
}

void RenewalSchedule::renewed(const ServerMessage::Renewal& renewal) {
    if (nonce_ == renewal.nonce)
        return;
    schedule(renewal.nonce, renewal.renewWithinMs);
}

void RenewalSchedule::schedule(const std::string& nonce, std::int64_t renewWithinMs) {
    if (hasEnded_)
        return;
    if (pending_)
        pending_->cancel();
    nonce_ = nonce;
    pending_ = std::make_shared<CancellableTask>(executor_, log(), "schedule the renewal");
    pending_->start(cycle(shared_from_this(), pending_, nonce, window(renewWithinMs)));
}

boost::asio::awaitable<void> RenewalSchedule::cycle(std::shared_ptr<RenewalSchedule> self,
                                                    std::shared_ptr<CancellableTask> task, std::string nonce,
                                                    Clock::Duration window) {
    // Every renewal cancels the cycle before it: its waits end without an exception. (Awaited into
    // named values, not inside a condition: see RunOn.hpp.)
    bool waited = co_await self->clock_->sleepUnlessCancelled(window / 2);
    // A cancellation that comes as the wait ends must still stop the proof for a superseded nonce.
    if (!waited || task->isCancelled())
        co_return;
    if (!self->hasEnded_)
        self->startSending(nonce);

    waited = co_await self->clock_->sleepUnlessCancelled(window);
    if (!waited || task->isCancelled())
        co_return;
    self->failures_.pushIfRoom(std::make_exception_ptr(ConnectionError::renewalUnanswered()));
}

void RenewalSchedule::startSending(const std::string& nonce) {
    auto task = std::make_shared<CancellableTask>(executor_, log(), "send the renewal");
    sending_[nonce] = task;
    task->start(send(shared_from_this(), task, nonce));
}

boost::asio::awaitable<void> RenewalSchedule::send(std::shared_ptr<RenewalSchedule> self,
                                                   std::shared_ptr<CancellableTask> task, std::string nonce) {
    std::exception_ptr failure;
    try {
        co_await self->sendProof_(nonce);
        log().debug("sent a renewal proof");
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        if (isCancellation(failure))
            log().debug("gave up a renewal proof as the session ended");
        else if (!task->isCancelled())
            self->failures_.pushIfRoom(failure);
    }
    // Only this send's own entry: a later send for the same nonce stays cancellable by `end()`.
    auto entry = self->sending_.find(nonce);
    if (entry != self->sending_.end() && entry->second == task)
        self->sending_.erase(entry);
}

void RenewalSchedule::end() {
    hasEnded_ = true;
    std::vector<std::shared_ptr<CancellableTask>> sends;
    for (auto& [nonce, task] : sending_)
        sends.push_back(std::move(task));
    sending_.clear();
    auto pending = std::move(pending_);
    pending_.reset();

    if (pending)
        pending->cancel();
    for (const auto& task : sends)
        task->cancel();
    failures_.finish();
}

} // namespace velto
