#include "VeltoDevice/Connection/DeviceSession.hpp"

#include "VeltoDevice/Connection/RenewalSchedule.hpp"
#include "VeltoDevice/Connection/WebSocketChannel.hpp"
#include "VeltoDevice/Protocol/ProtocolError.hpp"
#include "VeltoDevice/Protocol/RunnerFrames.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Support/CoroutineFrameWarning.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/Log.hpp"
#include "VeltoDevice/Support/LoggedCompletion.hpp"
#include "VeltoDevice/Support/WithTimeout.hpp"

#include <boost/asio/cancellation_type.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/deferred.hpp>
#include <boost/asio/error.hpp>
#include <boost/asio/experimental/parallel_group.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/system/system_error.hpp>

#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velto {

namespace {

const Logger& log() {
    static const Logger logger("session");
    return logger;
}

/// A decoded frame with the text the server wrote: offers and tool results travel on as written.
struct ReceivedFrame {
    ServerMessage message;
    std::string text;
};

/// The send operation a job's relay uses: a failure (the session has ended) is dropped.
boost::asio::awaitable<void> sendIgnoringFailure(std::shared_ptr<WebSocketChannel> channel,
                                                 std::string text) {
    try {
        co_await channel->send(std::move(text));
    } catch (...) {
    }
}

boost::asio::awaitable<void> sendProof(std::shared_ptr<WebSocketChannel> channel, DPoPProofSigner signer,
                                       boost::urls::url target, std::string nonce) {
    auto proof = signer.proof(DPoPProofSigner::socketMethod, target, nonce);
    co_await channel->send(DeviceMessage::proof(std::move(nonce), std::move(proof)).encodedFrame());
}

/// Runs apart from the session, so that it proceeds after the run has ended and even when the
/// session's own task was cancelled.
boost::asio::awaitable<void> cancelAccepted(std::shared_ptr<JobRunning> runner,
                                            std::vector<std::string> jobIds) {
    for (auto& jobId : jobIds) {
        try {
            co_await runner->cancel(std::move(jobId));
        } catch (...) {
            // One job that cannot be cancelled must not keep the others running.
        }
    }
}

boost::asio::awaitable<void> watchFailures(std::shared_ptr<RenewalSchedule> renewals) {
    auto failure = co_await renewals->failures().next();
    if (failure)
        std::rethrow_exception(*failure);
}

} // namespace

struct DeviceSession::Steps {
    static boost::asio::awaitable<void> run(DeviceSession self, DeviceMessage::Hello hello,
                                            OnWelcome onWelcome);
    static boost::asio::awaitable<ServerMessage::Welcome>
    awaitWelcome(const DeviceSession& self, std::shared_ptr<RenewalSchedule> renewals);
    static boost::asio::awaitable<void> answer(const DeviceSession& self,
                                               const std::shared_ptr<RenewalSchedule>& renewals);
    static boost::asio::awaitable<void> answerUntilClosed(const DeviceSession& self,
                                                          std::shared_ptr<RenewalSchedule> renewals);
    static boost::asio::awaitable<std::optional<ReceivedFrame>> receive(const DeviceSession& self);
    static boost::asio::awaitable<void> handle(const DeviceSession& self, RenewalSchedule& renewals,
                                               const ReceivedFrame& frame);
    static boost::asio::awaitable<void> take(const DeviceSession& self, const ServerMessage::JobOffer& offer,
                                             const std::string& frame);
    static boost::asio::awaitable<void>
    decline(const DeviceSession& self, const ServerMessage::JobOffer& offer, JobDeclineReason reason);
    static void cleanUp(const DeviceSession& self, RenewalSchedule& renewals,
                        const boost::asio::any_io_executor& executor);
};

DeviceSession::DeviceSession(std::shared_ptr<WebSocketChannel> channel, DPoPProofSigner signer,
                             VeltoServer server, std::shared_ptr<Clock> clock,
                             std::shared_ptr<JobRunning> runner,
                             std::shared_ptr<UpdateOfferReceiving> updates, LaterProfiles laterProfiles,
                             std::shared_ptr<AcceptedJobs> acceptedJobs)
    : channel_(std::move(channel)), signer_(std::move(signer)), server_(std::move(server)),
      clock_(std::move(clock)), runner_(std::move(runner)), updates_(std::move(updates)),
      laterProfiles_(std::move(laterProfiles)),
      acceptedJobs_(acceptedJobs ? std::move(acceptedJobs) : std::make_shared<AcceptedJobs>()) {}

boost::asio::awaitable<void> DeviceSession::run(DeviceMessage::Hello hello, OnWelcome onWelcome) const {
    return Steps::run(*this, std::move(hello), std::move(onWelcome));
}

boost::asio::awaitable<void> DeviceSession::Steps::run(DeviceSession self, DeviceMessage::Hello hello,
                                                       OnWelcome onWelcome) {
    auto executor = co_await boost::asio::this_coro::executor;
    auto renewals = RenewalSchedule::make(executor, self.clock_,
                                          [channel = self.channel_, signer = self.signer_,
                                           target = self.server_.connectURL()](std::string nonce) {
                                              return sendProof(channel, signer, target, std::move(nonce));
                                          });

    std::exception_ptr failure;
    try {
        auto helloFrame = DeviceMessage::hello(std::move(hello)).encodedFrame();
        co_await self.channel_->send(std::move(helloFrame));
        auto welcome = co_await withTimeout(*self.clock_, welcomeTimeout, ConnectionError::welcomeTimedOut(),
                                            awaitWelcome(self, renewals));
        renewals->start(welcome.nonce, welcome.renewWithinMs);
        if (onWelcome)
            co_await onWelcome(welcome);
        co_await answer(self, renewals);
    } catch (...) {
        failure = std::current_exception();
    }
    cleanUp(self, *renewals, executor);
    if (!failure)
        failure = std::make_exception_ptr(ConnectionError::dropped("the session ended"));
    std::rethrow_exception(failure);
}

void DeviceSession::Steps::cleanUp(const DeviceSession& self, RenewalSchedule& renewals,
                                   const boost::asio::any_io_executor& executor) {
    if (self.runner_) {
        auto jobIds = self.acceptedJobs_->jobIds();
        if (!jobIds.empty())
            boost::asio::co_spawn(executor, cancelAccepted(self.runner_, std::move(jobIds)),
                                  LoggedCompletion(log(), "cancel the accepted jobs"));
    }
    renewals.end();
}

boost::asio::awaitable<ServerMessage::Welcome>
DeviceSession::Steps::awaitWelcome(const DeviceSession& self, std::shared_ptr<RenewalSchedule> renewals) {
    for (;;) {
        auto frame = co_await receive(self);
        if (!frame)
            continue;
        if (auto* welcome = frame->message.as<ServerMessage::Welcome>())
            co_return *welcome;
        co_await handle(self, *renewals, *frame);
    }
}

// The first to end decides: a receive or send failure of the loop, or a renewal failure. The other
// is cancelled and awaited, so no frame is still being handled when the run cleans up.
boost::asio::awaitable<void> DeviceSession::Steps::answer(const DeviceSession& self,
                                                          const std::shared_ptr<RenewalSchedule>& renewals) {
    auto executor = co_await boost::asio::this_coro::executor;
    auto [order, answerError, renewalError] =
        co_await boost::asio::experimental::make_parallel_group(
            boost::asio::co_spawn(executor, answerUntilClosed(self, renewals), boost::asio::deferred),
            boost::asio::co_spawn(executor, watchFailures(renewals), boost::asio::deferred))
            .async_wait(boost::asio::experimental::wait_for_one(), boost::asio::use_awaitable);
    auto first = order[0] == 0 ? answerError : renewalError;
    if (first)
        std::rethrow_exception(first);
    throw ConnectionError::dropped("the session ended");
}

boost::asio::awaitable<void>
DeviceSession::Steps::answerUntilClosed(const DeviceSession& self,
                                        std::shared_ptr<RenewalSchedule> renewals) {
    for (;;) {
        auto frame = co_await receive(self);
        if (frame)
            co_await handle(self, *renewals, *frame);
    }
}

VELTO_COROUTINE_FRAMES_BEGIN
boost::asio::awaitable<std::optional<ReceivedFrame>>
DeviceSession::Steps::receive(const DeviceSession& self) {
    auto text = co_await self.channel_->receive();
    if (!text)
        co_return std::nullopt;
    try {
        auto message = ServerMessage::decode(*text);
        co_return ReceivedFrame{std::move(message), std::move(*text)};
    } catch (const ProtocolError&) {
        log().error("skipped an unreadable frame from Velto");
    }
    co_return std::nullopt;
}
VELTO_COROUTINE_FRAMES_END

boost::asio::awaitable<void> DeviceSession::Steps::handle(const DeviceSession& self,
                                                          RenewalSchedule& renewals,
                                                          const ReceivedFrame& frame) {
    const auto& message = frame.message;
    switch (message.kind()) {
    case ServerMessage::Case::welcome: {
        // A welcome after the first: it does not restart renewals that hold a nonce.
        const auto& welcome = *message.as<ServerMessage::Welcome>();
        renewals.start(welcome.nonce, welcome.renewWithinMs);
        if (welcome.profile && self.laterProfiles_)
            self.laterProfiles_(*welcome.profile);
        break;
    }
    case ServerMessage::Case::renewed:
        renewals.renewed(*message.as<ServerMessage::Renewal>());
        break;
    case ServerMessage::Case::jobOffer: {
        // A coroutine of its own, so that giving a place back after the session's cancellation
        // (which needs a fresh cancellation state) leaves the receive loop's state as it is.
        auto executor = co_await boost::asio::this_coro::executor;
        co_await boost::asio::co_spawn(executor,
                                       take(self, *message.as<ServerMessage::JobOffer>(), frame.text),
                                       boost::asio::use_awaitable);
        break;
    }
    case ServerMessage::Case::jobCancel: {
        if (!self.runner_)
            break;
        const auto& jobId = message.as<ServerMessage::JobCancel>()->jobId;
        // Job ids are the runner's keys across every organization: only this session's own jobs.
        if (!self.acceptedJobs_->contains(jobId)) {
            log().info("ignored a cancellation of job " + jobId + ", which this session did not accept");
            break;
        }
        co_await self.runner_->cancel(jobId);
        break;
    }
    case ServerMessage::Case::toolResult: {
        if (!self.runner_)
            break;
        const auto& jobId = message.as<ServerMessage::ToolResult>()->jobId;
        if (!self.acceptedJobs_->contains(jobId)) {
            log().info("ignored a tool result for job " + jobId + ", which this session did not accept");
            break;
        }
        co_await self.runner_->deliver(frame.text, jobId);
        break;
    }
    case ServerMessage::Case::update:
        if (self.updates_)
            co_await self.updates_->receive(*message.as<ServerMessage::UpdateOffer>());
        break;
    case ServerMessage::Case::unknown:
        break;
    }
}

// The session's cancellation (a stop, the welcome timer, a renewal failure) reaches the runner's
// reserve and start as it reaches any wait: the offer is dropped at once, and whatever place it
// holds is given back first. Only that cancellation ends the session here; a runner's own error of
// the cancellation kind is a failed start like any other.
boost::asio::awaitable<void> DeviceSession::Steps::take(const DeviceSession& self,
                                                        const ServerMessage::JobOffer& offer,
                                                        const std::string& frame) {
    const auto& runner = self.runner_;
    if (!runner || !offer.isRunnable()) {
        co_await decline(self, offer, JobDeclineReason::notSupported);
        co_return;
    }
    // A reserve that throws, cancelled or not, holds no place.
    if (auto reason = co_await runner->reserve(offer)) {
        co_await decline(self, offer, *reason);
        co_return;
    }

    // A place is held from here until the job starts; every other way out gives it back.
    auto document = RunnerFrames::jobDocument(frame);
    std::exception_ptr acceptFailure;
    if (document) {
        try {
            // Not sent once the session is cancelled: the co_await throws before it begins.
            co_await self.channel_->send(DeviceMessage::jobAccept(offer.jobId).encodedFrame());
        } catch (...) {
            acceptFailure = std::current_exception();
        }
    }
    if (!document || acceptFailure) {
        // Also after the session's cancellation, when every wait would throw at once: the release
        // runs with a fresh cancellation state of this offer's own coroutine.
        co_await boost::asio::this_coro::reset_cancellation_state();
        co_await runner->release(offer.jobId);
        if (acceptFailure)
            std::rethrow_exception(acceptFailure);
        co_await decline(self, offer, JobDeclineReason::runnerUnavailable);
        co_return;
    }

    self.acceptedJobs_->append(offer.jobId);
    log().info("accepted job " + offer.jobId + " for " + offer.description());

    JobRunning::Send send = [channel = self.channel_](std::string text) {
        return sendIgnoringFailure(channel, std::move(text));
    };
    std::exception_ptr notStarted;
    try {
        co_await runner->start(offer.jobId, std::move(*document), std::move(send));
    } catch (...) {
        notStarted = std::current_exception();
    }
    if (!notStarted)
        co_return;
    auto cancellation = co_await boost::asio::this_coro::cancellation_state;
    if (isCancellation(notStarted) && cancellation.cancelled() != boost::asio::cancellation_type::none) {
        // The runner gives the place of a start that did not happen back itself; giving it back
        // here too costs nothing, and leaks nothing should it not have. The id stays accepted, so
        // the session's end cancels the job should it have started after all.
        co_await boost::asio::this_coro::reset_cancellation_state();
        co_await runner->release(offer.jobId);
        std::rethrow_exception(notStarted);
    }
    // The runner has given the place back itself; the id stays accepted, so the end cancels it.
    log().error("could not start job " + offer.jobId + ": " + describe(notStarted));
    co_await self.channel_->send(RunnerFrames::failedFinish(offer.jobId, startFailure));
}

boost::asio::awaitable<void> DeviceSession::Steps::decline(const DeviceSession& self,
                                                           const ServerMessage::JobOffer& offer,
                                                           JobDeclineReason reason) {
    log().info("declined job " + offer.jobId + ": " + std::string(rawValue(reason)));
    co_await self.channel_->send(DeviceMessage::jobDecline(offer.jobId, reason).encodedFrame());
}

} // namespace velto
