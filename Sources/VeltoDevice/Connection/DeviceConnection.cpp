#include "VeltoDevice/Connection/DeviceConnection.hpp"

#include "VeltoDevice/Connection/AcceptedJobs.hpp"
#include "VeltoDevice/Connection/DeviceSession.hpp"
#include "VeltoDevice/Connection/WebSocketChannel.hpp"
#include "VeltoDevice/HTTP/HTTPRequest.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Support/CancellableTask.hpp"
#include "VeltoDevice/Support/CoroutineFrameWarning.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/Log.hpp"

#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/error.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/system/system_error.hpp>

#include <exception>
#include <optional>
#include <string>
#include <utility>

namespace velto {

namespace {

const Logger& log() {
    static const Logger logger("connection");
    return logger;
}

/// The error when it is a ConnectionError that ends reconnecting for good.
std::optional<ConnectionError> finalError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const ConnectionError& failure) {
        if (failure.isFinal())
            return failure;
    } catch (...) {
    }
    return std::nullopt;
}

/// Sends a hello frame; a failure is only logged. Cancellation stays cancellation.
boost::asio::awaitable<void> sendHello(std::shared_ptr<WebSocketChannel> channel,
                                       DeviceMessage::Hello hello) {
    std::exception_ptr failure;
    try {
        co_await channel->send(DeviceMessage::hello(std::move(hello)).encodedFrame());
    } catch (...) {
        failure = std::current_exception();
    }
    if (!failure)
        co_return;
    if (isCancellation(failure))
        std::rethrow_exception(failure);
    log().info("could not announce: " + describe(failure));
}

} // namespace

struct DeviceConnection::Core {
    using Hello = DeviceMessage::Hello;
    using Task = std::shared_ptr<CancellableTask>;

    Core(boost::asio::any_io_executor onExecutor, const DeviceIdentity& identity,
         std::shared_ptr<WebSocketDialer> withDialer, Backoff withBackoff, std::shared_ptr<Clock> withClock,
         SessionHandlers withHandlers, MakeHello withMakeHello, Backoff::Jitter withJitter)
        : executor(std::move(onExecutor)), server(identity.server), signer(identity.signer),
          http(identity.http), dialer(std::move(withDialer)), makeHello(std::move(withMakeHello)),
          handlers(std::move(withHandlers)), backoff(withBackoff), clock(std::move(withClock)),
          jitter(withJitter ? std::move(withJitter) : Backoff::Jitter(&Backoff::randomJitter)) {}

    boost::asio::any_io_executor executor;
    NewestStream<ConnectionState> states{keptStates};
    NewestStream<DeviceProfile> profiles{keptProfiles};
    VeltoServer server;
    DPoPProofSigner signer;
    DPoPHTTPClient http;
    std::shared_ptr<WebSocketDialer> dialer;
    MakeHello makeHello;
    SessionHandlers handlers;
    Backoff backoff;
    std::shared_ptr<Clock> clock;
    Backoff::Jitter jitter;

    /// The connection loop while it runs.
    Task runTask;
    /// The channel of the session being run, welcomed or not: a stop closes it at once, whatever
    /// the session is waiting on.
    std::shared_ptr<WebSocketChannel> openChannel;
    /// The channel of the welcomed session, if any. A session's channel is its own, so a session that
    /// ends clears only its own.
    std::shared_ptr<WebSocketChannel> activeChannel;
    /// A hello announced while no session was welcomed.
    std::optional<Hello> pendingHello;
    /// Failures since the last start or welcome: the backoff attempt.
    int failedAttempts = 0;

    /// The loop's publications stop once its task is cancelled, so `offline` stays the last state
    /// after a stop.
    void publish(const Task& task, ConnectionState state) {
        if (!task->isCancelled())
            states.push(std::move(state));
    }

    static void start(const std::shared_ptr<Core>& self);
    /// Cancels the loop and closes its socket at once; a later start begins a new loop.
    void cancelLoop();
    static boost::asio::awaitable<void> loop(std::shared_ptr<Core> self, Task task);
    static boost::asio::awaitable<void> run(std::shared_ptr<Core> self, Task task);
    static boost::asio::awaitable<void> connectOnce(std::shared_ptr<Core> self, Task task);
    /// Logs the failure, publishes `retrying` and returns the delay before the next dial.
    std::int64_t noteFailure(const Task& task, std::string reason);
    static boost::asio::awaitable<void> welcomed(std::shared_ptr<Core> self, Task task,
                                                 std::shared_ptr<WebSocketChannel> channel, Hello sent,
                                                 ServerMessage::Welcome welcome);
};

void DeviceConnection::Core::cancelLoop() {
    if (runTask) {
        runTask->cancel();
        runTask.reset();
    }
    // Closed here rather than by the cancellation alone: the session may be waiting on the runner
    // (a reserve can take seconds), and the socket must not stay open, nor "job.accept" go out,
    // meanwhile.
    if (openChannel) {
        openChannel->close();
        openChannel.reset();
    }
    activeChannel.reset();
}

void DeviceConnection::Core::start(const std::shared_ptr<Core>& self) {
    if (self->runTask)
        return;
    self->failedAttempts = 0;
    auto task = std::make_shared<CancellableTask>(self->executor, log(), "keep the connection");
    self->runTask = task;
    task->start(loop(self, task));
}

boost::asio::awaitable<void> DeviceConnection::Core::loop(std::shared_ptr<Core> self, Task task) {
    try {
        co_await run(self, task);
    } catch (...) {
        // Nothing but a fault of a collaborator gets here; the loop is over all the same.
    }
    // A later start() begins a new loop; one that already did keeps its own handle.
    if (self->runTask == task)
        self->runTask.reset();
}

boost::asio::awaitable<void> DeviceConnection::Core::run(std::shared_ptr<Core> self, Task task) {
    for (;;) {
        if (task->isCancelled())
            co_return;
        self->publish(task, ConnectionState::connecting());

        std::exception_ptr failure;
        try {
            co_await connectOnce(self, task);
            continue;
        } catch (...) {
            failure = std::current_exception();
        }

        // Only the loop's own cancellation ends it quietly: a stray cancellation error of a
        // collaborator must not leave the organization undialed under its last state.
        if (isCancellation(failure) && task->isCancelled())
            co_return;
        if (auto final = finalError(failure)) {
            log().error("stopped: " + final->description());
            self->publish(task, ConnectionState::stopped(final->description()));
            co_return;
        }
        // Not a coroutine of its own: once the loop is cancelled, awaiting one would throw before the
        // failure is logged.
        auto delay = self->noteFailure(task, describe(failure));
        try {
            co_await self->clock->sleep(std::chrono::milliseconds(delay));
        } catch (...) {
            // Cut short: the loop was cancelled.
            co_return;
        }
    }
}

std::int64_t DeviceConnection::Core::noteFailure(const Task& task, std::string reason) {
    auto delay = backoff.delayMilliseconds(failedAttempts, jitter());
    failedAttempts += 1;
    log().info("redialing in " + std::to_string(delay) + " ms: " + reason);
    publish(task, ConnectionState::retrying(delay, std::move(reason)));
    return delay;
}

VELTO_COROUTINE_FRAMES_BEGIN
boost::asio::awaitable<void> DeviceConnection::Core::connectOnce(std::shared_ptr<Core> self, Task task) {
    // A hello announced before this point is superseded by the one built now.
    Hello hello = co_await self->makeHello();
    self->pendingHello.reset();

    auto nonce = co_await self->http.freshNonce();
    HTTPRequest upgrade;
    upgrade.method = "GET";
    upgrade.url = self->server.connectSocketURL();
    upgrade.timeout = upgradeTimeout;
    upgrade.setHeader("DPoP", self->signer.proof("GET", self->server.connectURL(), nonce));

    auto channel = self->dialer->open(std::move(upgrade));
    self->openChannel = channel;
    std::weak_ptr<Core> weak = self;
    DeviceSession session(
        channel, self->signer, self->server, self->clock, self->handlers.runner, self->handlers.updates,
        [weak](const DeviceProfile& profile) {
            if (auto core = weak.lock())
                core->profiles.push(profile);
        },
        std::make_shared<AcceptedJobs>());

    DeviceSession::OnWelcome onWelcome = [self, task, channel, hello](const ServerMessage::Welcome& welcome) {
        return welcomed(self, task, channel, hello, welcome);
    };
    std::exception_ptr ended;
    try {
        // Cancelling the loop cancels the session's waits; the stop has closed the socket already.
        co_await session.run(hello, std::move(onWelcome));
    } catch (...) {
        ended = std::current_exception();
    }
    if (self->activeChannel == channel)
        self->activeChannel.reset();
    if (self->openChannel == channel)
        self->openChannel.reset();
    channel->close();
    if (!ended)
        ended = std::make_exception_ptr(ConnectionError::dropped("the session ended"));
    std::rethrow_exception(ended);
}
VELTO_COROUTINE_FRAMES_END

boost::asio::awaitable<void> DeviceConnection::Core::welcomed(std::shared_ptr<Core> self, Task task,
                                                              std::shared_ptr<WebSocketChannel> channel,
                                                              Hello sent, ServerMessage::Welcome welcome) {
    auto pending = std::exchange(self->pendingHello, std::nullopt);
    self->failedAttempts = 0;
    // A session whose loop was stopped is on its way out: a hello announced now is kept for the next
    // one rather than sent into this socket.
    if (!task->isCancelled())
        self->activeChannel = channel;
    if (pending && *pending != sent)
        co_await sendHello(channel, std::move(*pending));
    self->publish(task, ConnectionState::connected(welcome.deviceId));
    if (welcome.profile)
        self->profiles.push(std::move(*welcome.profile));
}

DeviceConnection::DeviceConnection(boost::asio::any_io_executor executor, const DeviceIdentity& identity,
                                   std::shared_ptr<WebSocketDialer> dialer, Backoff backoff,
                                   std::shared_ptr<Clock> clock, SessionHandlers handlers,
                                   MakeHello makeHello, Backoff::Jitter jitter)
    : core_(std::make_shared<Core>(std::move(executor), identity, std::move(dialer), backoff,
                                   std::move(clock), std::move(handlers), std::move(makeHello),
                                   std::move(jitter))) {}

DeviceConnection::~DeviceConnection() {
    core_->cancelLoop();
    core_->states.finish();
    core_->profiles.finish();
}

NewestStream<ConnectionState>& DeviceConnection::states() {
    return core_->states;
}

NewestStream<DeviceProfile>& DeviceConnection::profiles() {
    return core_->profiles;
}

boost::asio::awaitable<void> DeviceConnection::start() {
    Core::start(core_);
    co_return;
}

boost::asio::awaitable<void> DeviceConnection::stop() {
    core_->cancelLoop();
    core_->states.push(ConnectionState::offline());
    co_return;
}

boost::asio::awaitable<void> DeviceConnection::announce(DeviceMessage::Hello hello) {
    auto channel = core_->activeChannel;
    if (!channel) {
        core_->pendingHello = std::move(hello);
        co_return;
    }
    // Shielded from the caller's cancellation: a caller that stops waiting must not tear down the
    // socket, as a cancelled send on the channel would.
    co_await boost::asio::co_spawn(
        core_->executor, sendHello(std::move(channel), std::move(hello)),
        boost::asio::bind_cancellation_slot(boost::asio::cancellation_slot(), boost::asio::use_awaitable));
}

} // namespace velto
