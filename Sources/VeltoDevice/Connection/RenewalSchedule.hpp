#pragma once

#include "VeltoDevice/Protocol/ServerMessage.hpp"
#include "VeltoDevice/Support/CancellableTask.hpp"
#include "VeltoDevice/Support/Clock.hpp"
#include "VeltoDevice/Support/NewestStream.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace velto {

/// Times the proofs that keep one session valid: each nonce the server hands out is answered half-way
/// through its window, and the session fails when no new nonce comes within one and a half windows.
///
/// Every operation runs on the session's executor (the device io_context), as do the tasks the
/// schedule spawns there, so its state needs no lock.
class RenewalSchedule : public std::enable_shared_from_this<RenewalSchedule> {
public:
    /// Signs a proof for the nonce and sends it as a "proof" frame.
    using SendProof = std::function<boost::asio::awaitable<void>(std::string nonce)>;

    /// The longest window honoured; a longer one would overflow the clock's durations.
    static constexpr std::int64_t longestWindowMs = 24 * 60 * 60 * 1000;
    /// The shortest window: anything under it (zero and negative included) becomes this.
    static constexpr std::int64_t shortestWindowMs = 1000;

    static std::shared_ptr<RenewalSchedule> make(boost::asio::any_io_executor executor,
                                                 std::shared_ptr<Clock> clock, SendProof sendProof);

    RenewalSchedule(const RenewalSchedule&) = delete;
    RenewalSchedule& operator=(const RenewalSchedule&) = delete;

    /// Why the session must end: ConnectionError::renewalUnanswered, or the error a proof send threw.
    /// Keeps only the oldest unread failure; finished by `end()`.
    NewestStream<std::exception_ptr>& failures() { return failures_; }

    /// Schedules the welcome's nonce unless a nonce is already held (only the first call counts).
    void start(const std::string& nonce, std::int64_t renewWithinMs);
    /// Schedules the renewal's nonce and window, timed from now, unless it repeats the held nonce.
    void renewed(const ServerMessage::Renewal& renewal);
    /// Cancels the pending cycle and every proof send and finishes `failures`. Safe to call again.
    void end();

    /// The window used for `renewWithinMs`: at least 1 s, at most 24 h.
    static Clock::Duration window(std::int64_t renewWithinMs);

private:
    RenewalSchedule(boost::asio::any_io_executor executor, std::shared_ptr<Clock> clock, SendProof sendProof);

    void schedule(const std::string& nonce, std::int64_t renewWithinMs);
    void startSending(const std::string& nonce);
    static boost::asio::awaitable<void> cycle(std::shared_ptr<RenewalSchedule> self,
                                              std::shared_ptr<CancellableTask> task, std::string nonce,
                                              Clock::Duration window);
    static boost::asio::awaitable<void> send(std::shared_ptr<RenewalSchedule> self,
                                             std::shared_ptr<CancellableTask> task, std::string nonce);

    NewestStream<std::exception_ptr> failures_{1};
    boost::asio::any_io_executor executor_;
    std::shared_ptr<Clock> clock_;
    SendProof sendProof_;

    std::optional<std::string> nonce_;
    std::shared_ptr<CancellableTask> pending_;
    std::map<std::string, std::shared_ptr<CancellableTask>> sending_;
    bool hasEnded_ = false;
};

} // namespace velto
