#pragma once

#include "VeltoDevice/Connection/JobRunning.hpp"

#include <boost/asio/awaitable.hpp>

#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace velto::testing {

/// A job runner that records every call in order and answers as told: every reservation succeeds
/// unless a reason was set for its id (or for all) or every place is taken, every start succeeds
/// unless an error was set for its id. Each call is recorded first and then yields to the loop once,
/// as a call to another actor would. Places are counted as the real runner counts them: a
/// reservation holds one until it is released or its job starts, a started job until it is
/// cancelled; a start that throws gives its place back. Reserves and starts may be held at a gate
/// until the test opens it, either ending with operation_aborted when their caller is cancelled, or
/// (as a login-shell lookup would) carrying on regardless. Use from the test loop's thread.
class RecordingJobRunner final : public JobRunning {
public:
    struct Call {
        enum class Kind { reserve, release, start, deliver, cancel, cancelAll };

        Kind kind;
        std::string jobId;
        /// The document of a start, the raw frame of a deliver; empty otherwise.
        std::string text;

        friend bool operator==(const Call&, const Call&) = default;
        friend void PrintTo(const Call& call, std::ostream* out);
    };

    /// Answers the reservation of `jobId` with `reason`.
    void declineReserve(const std::string& jobId, JobDeclineReason reason) { reasons_[jobId] = reason; }
    /// Answers every reservation without a reason of its own with `reason`.
    void declineEveryReserve(JobDeclineReason reason) { everyReason_ = reason; }
    /// Makes the start of `jobId` throw `error`.
    void failStart(const std::string& jobId, std::exception_ptr error) {
        startErrors_[jobId] = std::move(error);
    }
    /// Reservations beyond this many places taken answer busy.
    void limitPlaces(std::size_t capacity) { capacity_ = capacity; }

    /// Whether a held call ends when its caller is cancelled.
    enum class Hold { cancellable, regardless };
    /// Holds every later reserve (before it answers) at the gate.
    void holdReserves(Hold hold) { reserveHold_ = hold; }
    /// Holds every later start (before it starts the job) at the gate.
    void holdStarts(Hold hold) { startHold_ = hold; }
    /// Lets every call waiting at the gate go on, and later calls pass; the holds stay set.
    void openGate();
    /// Calls waiting at the gate now.
    std::size_t heldCalls() const { return gate_.size(); }

    /// Places held by reservations and started jobs.
    std::size_t placesTaken() const { return reserved_.size() + running_.size(); }

    boost::asio::awaitable<std::optional<JobDeclineReason>> reserve(ServerMessage::JobOffer offer) override;
    boost::asio::awaitable<void> release(std::string jobId) override;
    boost::asio::awaitable<void> start(std::string jobId, Bytes document, Send send) override;
    boost::asio::awaitable<void> deliver(std::string toolResultFrame, std::string jobId) override;
    boost::asio::awaitable<void> cancel(std::string jobId) override;
    boost::asio::awaitable<void> cancelAll() override;

    const std::vector<Call>& calls() const { return calls_; }
    /// The job ids of the calls of one kind, in order.
    std::vector<std::string> jobIds(Call::Kind kind) const;
    const std::vector<ServerMessage::JobOffer>& offers() const { return offers_; }
    /// The ids whose cancel ran to its end (a cancel awaited by a cancelled task ends early).
    const std::vector<std::string>& completedCancels() const { return completedCancels_; }
    /// The send operation given to the start of `jobId`; throws std::out_of_range when never started.
    const Send& sendOf(const std::string& jobId) const { return sends_.at(jobId); }

private:
    struct Waiter;

    boost::asio::awaitable<void> yield();
    boost::asio::awaitable<void> pass(std::optional<Hold> hold);

    std::map<std::string, JobDeclineReason> reasons_;
    std::optional<JobDeclineReason> everyReason_;
    std::map<std::string, std::exception_ptr> startErrors_;
    std::vector<Call> calls_;
    std::vector<ServerMessage::JobOffer> offers_;
    std::map<std::string, Send> sends_;
    std::vector<std::string> completedCancels_;
    std::optional<std::size_t> capacity_;
    std::optional<Hold> reserveHold_;
    std::optional<Hold> startHold_;
    bool gateOpen_ = false;
    std::vector<std::shared_ptr<Waiter>> gate_;
    std::set<std::string> reserved_;
    std::set<std::string> running_;
};

} // namespace velto::testing
