#include "RecordingJobRunner.hpp"

#include <boost/asio/post.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

namespace velto::testing {

void PrintTo(const RecordingJobRunner::Call& call, std::ostream* out) {
    static const char* const names[] = {"reserve", "release", "start", "deliver", "cancel", "cancelAll"};
    *out << names[static_cast<int>(call.kind)] << "(" << call.jobId;
    if (!call.text.empty())
        *out << ", " << call.text;
    *out << ")";
}

boost::asio::awaitable<void> RecordingJobRunner::yield() {
    co_await boost::asio::post(co_await boost::asio::this_coro::executor, boost::asio::use_awaitable);
}

boost::asio::awaitable<std::optional<JobDeclineReason>>
RecordingJobRunner::reserve(ServerMessage::JobOffer offer) {
    calls_.push_back({Call::Kind::reserve, offer.jobId, {}});
    offers_.push_back(offer);
    co_await yield();
    auto reason = reasons_.find(offer.jobId);
    if (reason != reasons_.end())
        co_return reason->second;
    co_return everyReason_;
}

boost::asio::awaitable<void> RecordingJobRunner::release(std::string jobId) {
    calls_.push_back({Call::Kind::release, jobId, {}});
    co_await yield();
}

boost::asio::awaitable<void> RecordingJobRunner::start(std::string jobId, Bytes document, Send send) {
    calls_.push_back({Call::Kind::start, jobId, toString(document)});
    co_await yield();
    auto error = startErrors_.find(jobId);
    if (error != startErrors_.end())
        std::rethrow_exception(error->second);
    sends_[jobId] = std::move(send);
}

boost::asio::awaitable<void> RecordingJobRunner::deliver(std::string toolResultFrame, std::string jobId) {
    calls_.push_back({Call::Kind::deliver, jobId, toolResultFrame});
    co_await yield();
}

boost::asio::awaitable<void> RecordingJobRunner::cancel(std::string jobId) {
    calls_.push_back({Call::Kind::cancel, jobId, {}});
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
