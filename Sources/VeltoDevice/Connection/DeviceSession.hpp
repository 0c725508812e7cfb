#pragma once

#include "VeltoDevice/Connection/AcceptedJobs.hpp"
#include "VeltoDevice/Connection/JobRunning.hpp"
#include "VeltoDevice/Connection/UpdateOfferReceiving.hpp"
#include "VeltoDevice/DPoP/DPoPProofSigner.hpp"
#include "VeltoDevice/Enrollment/DeviceProfile.hpp"
#include "VeltoDevice/Protocol/DeviceMessage.hpp"
#include "VeltoDevice/Protocol/ServerMessage.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"
#include "VeltoDevice/Support/Clock.hpp"

#include <boost/asio/awaitable.hpp>

#include <chrono>
#include <functional>
#include <memory>

namespace velto {

class WebSocketChannel;

/// One authenticated conversation with an organization's server over one open socket: says hello,
/// waits for the welcome, keeps the proof fresh and answers every frame, one at a time in arrival
/// order. A session is a small value; the tasks it starts hold copies that share its channel,
/// runner and accepted jobs.
class DeviceSession {
public:
    /// Receives the profile of every welcome after the first.
    using LaterProfiles = std::function<void(const DeviceProfile&)>;
    /// Runs once, on the first welcome, before any later frame is read.
    using OnWelcome = std::function<boost::asio::awaitable<void>(const ServerMessage::Welcome&)>;

    /// How long the server has to welcome the hello.
    static constexpr Clock::Duration welcomeTimeout = std::chrono::seconds(30);
    /// The error of the failed "job.finish" sent when the runner cannot start an accepted job.
    static constexpr const char* startFailure = "The runner on this computer could not start.";

    /// Without a runner every offer is declined "not-supported" and cancellations and tool results
    /// are dropped; without `updates` update offers are dropped.
    DeviceSession(std::shared_ptr<WebSocketChannel> channel, DPoPProofSigner signer, VeltoServer server,
                  std::shared_ptr<Clock> clock, std::shared_ptr<JobRunning> runner = nullptr,
                  std::shared_ptr<UpdateOfferReceiving> updates = nullptr, LaterProfiles laterProfiles = {},
                  std::shared_ptr<AcceptedJobs> acceptedJobs = std::make_shared<AcceptedJobs>());

    /// Sends `hello`, waits up to `welcomeTimeout` for the welcome, awaits `onWelcome` with it and then
    /// answers until something fails. Never returns normally: it throws the error that ended the
    /// session (a ConnectionError, the channel's or the signer's error, or operation_aborted when
    /// cancelled). A cancellation reaches an offer being taken too: its reserve or start is cancelled
    /// and its place given back, and no "job.accept" goes out after it. On every exit the renewals
    /// stop and every job accepted on this session is cancelled in a task of its own. The session
    /// value need not outlive the returned operation.
    boost::asio::awaitable<void> run(DeviceMessage::Hello hello, OnWelcome onWelcome) const;

    const std::shared_ptr<AcceptedJobs>& acceptedJobs() const { return acceptedJobs_; }

private:
    struct Steps;

    std::shared_ptr<WebSocketChannel> channel_;
    DPoPProofSigner signer_;
    VeltoServer server_;
    std::shared_ptr<Clock> clock_;
    std::shared_ptr<JobRunning> runner_;
    std::shared_ptr<UpdateOfferReceiving> updates_;
    LaterProfiles laterProfiles_;
    std::shared_ptr<AcceptedJobs> acceptedJobs_;
};

} // namespace velto
