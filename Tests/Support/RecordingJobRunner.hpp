#pragma once

#include "VeltoDevice/Connection/JobRunning.hpp"

#include <boost/asio/awaitable.hpp>

#include <exception>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace velto::testing {

/// A job runner that records every call in order and answers as told: every reservation succeeds
/// unless a reason was set for its id (or for all), every start succeeds unless an error was set for
/// its id. Each call is recorded first and then yields to the loop once, as a call to another actor
/// would. Use from the test loop's thread.
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
    boost::asio::awaitable<void> yield();

    std::map<std::string, JobDeclineReason> reasons_;
    std::optional<JobDeclineReason> everyReason_;
    std::map<std::string, std::exception_ptr> startErrors_;
    std::vector<Call> calls_;
    std::vector<ServerMessage::JobOffer> offers_;
    std::map<std::string, Send> sends_;
    std::vector<std::string> completedCancels_;
};

} // namespace velto::testing
