#pragma once

#include "VeltoDevice/Protocol/JobDeclineReason.hpp"
#include "VeltoDevice/Protocol/ServerMessage.hpp"
#include "VeltoDevice/Support/Bytes.hpp"

#include <boost/asio/awaitable.hpp>

#include <functional>
#include <optional>
#include <string>

namespace velto {

/// The job runner as every session sees it. All operations run on the device io_context; arguments
/// are taken by value because each implementation is a coroutine that outlives its caller's temporaries.
class JobRunning {
public:
    /// Sends one frame text on the session that accepted the job; never fails (a failed send is dropped).
    using Send = std::function<boost::asio::awaitable<void>(std::string text)>;

    virtual ~JobRunning() = default;

    /// Nothing when a place is now held for the offer's job id; otherwise why no place was taken. A
    /// reserve that throws (cancelled with its session, say) has taken no place.
    virtual boost::asio::awaitable<std::optional<JobDeclineReason>>
    reserve(ServerMessage::JobOffer offer) = 0;
    /// Gives back the place held for `jobId`.
    virtual boost::asio::awaitable<void> release(std::string jobId) = 0;
    /// Starts the reserved job with its document; its frames then go to `send`. Throws when the job did
    /// not start (cancellation included), in which case the runner has given the place back itself.
    virtual boost::asio::awaitable<void> start(std::string jobId, Bytes document, Send send) = 0;
    /// Hands the raw "tool.result" frame to the job if it runs; otherwise drops it.
    virtual boost::asio::awaitable<void> deliver(std::string toolResultFrame, std::string jobId) = 0;
    /// Stops the job if it runs; unknown ids are ignored.
    virtual boost::asio::awaitable<void> cancel(std::string jobId) = 0;
    /// Stops every running job (the application calls it when the machine sleeps).
    virtual boost::asio::awaitable<void> cancelAll() = 0;
};

} // namespace velto
