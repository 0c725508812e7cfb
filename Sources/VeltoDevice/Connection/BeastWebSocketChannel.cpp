#include "VeltoDevice/Connection/BeastWebSocketChannel.hpp"

#include "VeltoDevice/Connection/ClosingHandshakes.hpp"
#include "VeltoDevice/HTTP/BeastConnecting.hpp"
#include "VeltoDevice/HTTP/ConnectionTarget.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Support/Ascii.hpp"
#include "VeltoDevice/Support/CancellableTask.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/LoggedCompletion.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"

#include <boost/asio/as_tuple.hpp>
#include <boost/asio/associated_cancellation_slot.hpp>
#include <boost/asio/associated_executor.hpp>
#include <boost/asio/async_result.hpp>
#include <boost/asio/cancellation_type.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/dispatch.hpp>
#include <boost/asio/error.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/ssl/ssl_stream.hpp>
#include <boost/beast/websocket/error.hpp>
#include <boost/beast/websocket/ssl.hpp>
#include <boost/beast/websocket/stream.hpp>
#include <boost/system/system_error.hpp>

#include <algorithm>
#include <cctype>
#include <optional>
#include <type_traits>
#include <vector>

namespace velto {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = boost::beast::http;
namespace ssl = boost::asio::ssl;
namespace websocket = boost::beast::websocket;
using tcp = boost::asio::ip::tcp;
using boost::system::error_code;

/// The socket behind a channel.
class BeastWebSocketChannel::Core {
public:
    virtual ~Core() = default;

    virtual void start() = 0;
    virtual asio::awaitable<void> send(std::string text) = 0;
    virtual asio::awaitable<std::optional<std::string>> receive() = 0;
    virtual void close() = 0;
    virtual const asio::any_io_executor& executor() const = 0;
};

namespace {

/// What the other operations see once this Mac has closed the socket.
const char* const closedHere = "the connection was closed";

/// A read buffer that grew beyond this for a large message is given back after it.
constexpr std::size_t keptReadCapacity = 64 * 1024;

/// Where the upgrade goes, taken apart once.
ConnectionTarget targetOf(const boost::urls::url& url) {
    auto parsed = ConnectionTarget::parse(url, "wss", "ws");
    if (auto* target = std::get_if<ConnectionTarget>(&parsed))
        return std::move(*target);
    const std::string text(url.buffer());
    switch (std::get<ConnectionTarget::Problem>(parsed)) {
    case ConnectionTarget::Problem::unknownScheme:
        throw ConnectionError::dropped(text + " is not a WebSocket address");
    case ConnectionTarget::Problem::noHost:
        throw ConnectionError::dropped(text + " names no host");
    case ConnectionTarget::Problem::notEncrypted:
        throw ConnectionError::dropped(text + " is not encrypted");
    case ConnectionTarget::Problem::malformed:
        throw ConnectionError::dropped(text + " is not a valid address");
    case ConnectionTarget::Problem::invalidPort:
        break;
    }
    throw ConnectionError::dropped(text + " has no valid port");
}

/// Wakes every waiter at once when the socket's state changes. A waiter's cancellation ends its
/// wait early too: the waiter then looks at why it woke.
class Changes {
public:
    asio::awaitable<void> next() {
        auto timer = std::make_shared<asio::steady_timer>(co_await asio::this_coro::executor,
                                                          asio::steady_timer::time_point::max());
        waiters_.push_back(timer);
        error_code woken;
        co_await timer->async_wait(asio::redirect_error(asio::use_awaitable, woken));
    }

    void notify() {
        auto waiters = std::move(waiters_);
        waiters_.clear();
        for (const auto& timer : waiters)
            timer->cancel();
    }

private:
    std::vector<std::shared_ptr<asio::steady_timer>> waiters_;
};

template <bool Secure>
class Socket final : public BeastWebSocketChannel::Core, public std::enable_shared_from_this<Socket<Secure>> {
public:
    using Layer = std::conditional_t<Secure, beast::ssl_stream<beast::tcp_stream>, beast::tcp_stream>;
    using Stream = websocket::stream<Layer>;

    Socket(BeastWebSocketChannel::Dependencies dependencies, HTTPRequest request)
        : dependencies_(std::move(dependencies)), request_(std::move(request)),
          resolver_(dependencies_.executor) {
        if constexpr (Secure)
            stream_ = std::make_unique<Stream>(dependencies_.executor, *dependencies_.tls);
        else
            stream_ = std::make_unique<Stream>(dependencies_.executor);
    }

    const asio::any_io_executor& executor() const override { return dependencies_.executor; }

    void start() override {
        auto self = this->shared_from_this();
        openingTimer_ = std::make_shared<CancellableTask>(dependencies_.executor, Logger("connection"),
                                                          "time the opening");
        openingTimer_->start(timeOpening(self, openingTimer_));
        asio::co_spawn(dependencies_.executor, run(self),
                       LoggedCompletion(Logger("connection"), "run the socket"));
    }

    asio::awaitable<void> send(std::string text) override {
        return sendOn(this->shared_from_this(), std::move(text));
    }

    asio::awaitable<std::optional<std::string>> receive() override {
        return receiveOn(this->shared_from_this());
    }

    void close() override {
        if (phase_ == Phase::ended)
            return;
        const bool upgraded = phase_ == Phase::open;
        fail(ConnectionError::dropped(closedHere), !upgraded);
        if (upgraded)
            asio::co_spawn(dependencies_.executor,
                           goAway(this->shared_from_this(), ClosingHandshakes::shared().begin()),
                           LoggedCompletion(Logger("connection"), "close the socket"));
    }

private:
    enum class Phase { opening, open, ended };

    /// The first failure decides what every later operation throws.
    void fail(ConnectionError error, bool tearDown) {
        if (phase_ == Phase::ended)
            return;
        phase_ = Phase::ended;
        failure_ = std::move(error);
        if (openingTimer_)
            openingTimer_->cancel();
        changes_.notify();
        if (tearDown) {
            resolver_.cancel();
            beast::get_lowest_layer(*stream_).close();
        }
    }

    ConnectionError translate(const error_code& error) const {
        // A close frame from the server decides, even when the closing handshake that follows it
        // fails (a server that drops the connection right after its close frame).
        auto code = static_cast<int>(stream_->reason().code);
        if (code != 0)
            return ConnectionError::forClose(code);
        // A close frame without a status code is code 1005, "no status received" (RFC 6455 §7.1.5).
        if (closeReceived_)
            return ConnectionError::forClose(websocket::close_code::no_status);
        return ConnectionError::dropped(error.message());
    }

    static asio::awaitable<void> sendOn(std::shared_ptr<Socket> self, std::string text) {
        // One message at a time: Beast writes one message per call, so they never interleave.
        co_await self->waitForTurn(self->writing_);
        self->writing_ = true;
        self->outgoing_ = std::move(text);
        auto written = own<std::size_t>(self, [self](auto done) {
            self->stream_->text(true);
            self->stream_->async_write(
                asio::buffer(self->outgoing_),
                [self, done = std::move(done)](const error_code& error, std::size_t count) mutable {
                    self->writing_ = false;
                    self->changes_.notify();
                    if (error) {
                        self->fail(self->translate(error), true);
                        done(std::make_exception_ptr(*self->failure_), 0);
                        return;
                    }
                    done(nullptr, count);
                });
        });
        co_await std::move(written);
    }

    static asio::awaitable<std::optional<std::string>> receiveOn(std::shared_ptr<Socket> self) {
        co_await self->waitForTurn(self->reading_);
        self->reading_ = true;
        auto received = own<std::optional<std::string>>(self, [self](auto done) {
            self->stream_->async_read(self->incoming_, [self, done = std::move(done)](const error_code& error,
                                                                                      std::size_t) mutable {
                self->reading_ = false;
                self->changes_.notify();
                if (error)
                    self->fail(self->translate(error), true);
                std::optional<std::string> text;
                if (!error && self->stream_->got_text())
                    text = beast::buffers_to_string(self->incoming_.data());
                self->incoming_.consume(self->incoming_.size());
                if (self->incoming_.capacity() > keptReadCapacity)
                    self->incoming_.shrink_to_fit();
                // Ended meanwhile (closed here, or failed): the other operations end too.
                if (self->phase_ != Phase::open) {
                    done(std::make_exception_ptr(*self->failure_), std::nullopt);
                    return;
                }
                done(nullptr, std::move(text));
            });
        });
        co_return co_await std::move(received);
    }

    /// Waits until the socket is open and `busy` is clear (one read and one write at a time), or
    /// throws what ended it. The caller's cancellation closes the socket and throws operation_aborted.
    asio::awaitable<void> waitForTurn(const bool& busy) {
        for (;;) {
            auto cancellation = co_await asio::this_coro::cancellation_state;
            if (cancellation.cancelled() != asio::cancellation_type::none) {
                close();
                throwCancellation();
            }
            if (phase_ == Phase::ended)
                throw *failure_;
            if (phase_ == Phase::open && !busy)
                co_return;
            co_await changes_.next();
        }
    }

    /// Starts a Beast operation with a completion of the socket's own, so that the caller's
    /// cancellation never reaches Beast, which would tear the stream down without a close frame.
    /// Instead it closes the socket with 1001 and ends the wait at once with operation_aborted; the
    /// operation ends in the background. `start(done)` begins the operation, which calls
    /// `done(error, result)` once, on the socket's executor.
    template <typename Result, typename Start>
    static asio::awaitable<Result> own(std::shared_ptr<Socket> self, Start start) {
        auto initiation = [self, start = std::move(start)](auto handler) mutable {
            using Handler = decltype(handler);
            auto slot = asio::get_associated_cancellation_slot(handler);
            // Whichever comes first, the cancellation or the completion, takes the handler.
            auto waiting = std::make_shared<std::optional<Handler>>(std::move(handler));
            if (slot.is_connected()) {
                slot.assign([waiting, self](asio::cancellation_type) {
                    if (!*waiting)
                        return;
                    auto finished = std::move(**waiting);
                    waiting->reset();
                    self->close();
                    // Never inline: the canceller is still running.
                    auto executor = asio::get_associated_executor(finished, self->executor());
                    asio::post(executor, [finished = std::move(finished)]() mutable {
                        std::move(finished)(std::make_exception_ptr(
                                                boost::system::system_error(asio::error::operation_aborted)),
                                            Result{});
                    });
                });
            }
            start([waiting, slot, self](std::exception_ptr error, Result result) mutable {
                if (!*waiting)
                    return;
                auto finished = std::move(**waiting);
                waiting->reset();
                if (slot.is_connected())
                    slot.clear();
                // Beast completes on the socket's executor, which is normally the caller's too.
                auto executor = asio::get_associated_executor(finished, self->executor());
                asio::dispatch(executor,
                               [finished = std::move(finished), error, result = std::move(result)]() mutable {
                                   std::move(finished)(error, std::move(result));
                               });
            });
        };
        return asio::async_initiate<const asio::use_awaitable_t<>&, void(std::exception_ptr, Result)>(
            std::move(initiation), asio::use_awaitable);
    }

    /// `handshake` counts it among the closings that quitting waits for.
    static asio::awaitable<void> goAway(std::shared_ptr<Socket> self,
                                        [[maybe_unused]] ClosingHandshakes::Token handshake) {
        co_await self->stream_->async_close(websocket::close_code::going_away,
                                            asio::as_tuple(asio::use_awaitable));
        beast::get_lowest_layer(*self->stream_).close();
    }

    static asio::awaitable<void> timeOpening(std::shared_ptr<Socket> self,
                                             std::shared_ptr<CancellableTask> task) {
        // Cancelled by every opening that ends in time.
        bool waited = co_await self->dependencies_.clock->sleepUnlessCancelled(
            std::chrono::duration_cast<Clock::Duration>(self->request_.timeout));
        if (waited && !task->isCancelled() && self->phase_ == Phase::opening)
            self->fail(ConnectionError::dropped("The request timed out."), true);
    }

    static asio::awaitable<void> run(std::shared_ptr<Socket> self) {
        try {
            co_await self->open();
        } catch (const ConnectionError& error) {
            self->fail(error, true);
        } catch (const std::exception& error) {
            self->fail(ConnectionError::dropped(error.what()), true);
        }
    }

    bool ended() const { return phase_ == Phase::ended; }

    asio::awaitable<void> open() {
        auto target = targetOf(request_.url);
        auto& lowest = beast::get_lowest_layer(*stream_);

        std::vector<tcp::endpoint> endpoints;
        if (target.address) {
            endpoints.push_back(beastConnecting::addressEndpoint(target));
        } else {
            auto [error, results] = co_await resolver_.async_resolve(target.host, target.port,
                                                                     asio::as_tuple(asio::use_awaitable));
            if (ended())
                co_return;
            if (error)
                throw ConnectionError::dropped(error.message());
            endpoints = beastConnecting::usableEndpoints(target, results);
            if (endpoints.empty())
                throw ConnectionError::dropped(target.host + " is not on this machine");
        }

        auto [connectError, endpoint] =
            co_await lowest.async_connect(endpoints, asio::as_tuple(asio::use_awaitable));
        if (ended())
            co_return;
        if (connectError)
            throw ConnectionError::dropped(connectError.message());
        // Frames are small and sent one at a time: Nagle's wait for the last one's acknowledgement
        // would hold each next frame back by the peer's delayed acknowledgement.
        boost::system::error_code noDelayFailure;
        lowest.socket().set_option(tcp::no_delay(true), noDelayFailure);

        if constexpr (Secure) {
            auto& tls = stream_->next_layer();
            auto wrongHost = beastConnecting::prepareHandshake(tls, target);
            if (!wrongHost)
                throw ConnectionError::dropped("a secure connection could not be started");
            auto [tlsError] =
                co_await tls.async_handshake(ssl::stream_base::client, asio::as_tuple(asio::use_awaitable));
            if (ended())
                co_return;
            if (tlsError)
                throw ConnectionError::dropped(
                    beastConnecting::handshakeFailure(tls, target, tlsError, *wrongHost));
        }

        websocket::stream_base::timeout timeouts{};
        timeouts.handshake_timeout = request_.timeout;
        timeouts.idle_timeout = websocket::stream_base::none();
        timeouts.keep_alive_pings = false;
        stream_->set_option(timeouts);
        stream_->set_option(
            websocket::stream_base::decorator([headers = request_.headers](websocket::request_type& upgrade) {
                for (const auto& [name, value] : headers)
                    upgrade.set(name, value);
            }));
        stream_->read_message_max(dependencies_.messageLimit);
        // The stream owns the callback and this socket owns the stream.
        stream_->control_callback([this](websocket::frame_type kind, beast::string_view) {
            if (kind == websocket::frame_type::close)
                closeReceived_ = true;
        });

        websocket::response_type response;
        auto [upgradeError] = co_await stream_->async_handshake(
            response, target.authority, target.requestTarget, asio::as_tuple(asio::use_awaitable));
        if (ended())
            co_return;
        if (upgradeError) {
            auto status = static_cast<int>(response.result_int());
            if (status != 0 && status != 101) {
                std::optional<std::string> authenticate;
                auto [first, last] = response.equal_range(http::field::www_authenticate);
                for (auto field = first; field != last; ++field) {
                    authenticate = authenticate ? *authenticate + ", " + std::string(field->value())
                                                : std::string(field->value());
                }
                throw ConnectionError::forRefusedUpgrade(status, authenticate);
            }
            throw translate(upgradeError);
        }
        phase_ = Phase::open;
        openingTimer_->cancel();
        changes_.notify();
    }

    BeastWebSocketChannel::Dependencies dependencies_;
    HTTPRequest request_;
    tcp::resolver resolver_;
    std::unique_ptr<Stream> stream_;
    Phase phase_ = Phase::opening;
    std::optional<ConnectionError> failure_;
    bool writing_ = false;
    bool reading_ = false;
    /// Set once the server's close frame arrived, status code or not.
    bool closeReceived_ = false;
    /// The message being written, and the buffer of the one being read: one of each at a time.
    std::string outgoing_;
    beast::flat_buffer incoming_;
    Changes changes_;
    std::shared_ptr<CancellableTask> openingTimer_;
};

} // namespace

BeastWebSocketChannel::BeastWebSocketChannel(Dependencies dependencies, HTTPRequest request) {
    if (!dependencies.clock)
        dependencies.clock = SystemClock::shared();
    if (asciiLowercased(request.url.scheme()) == "wss") {
        if (!dependencies.tls)
            dependencies.tls = TLSTrust::standard()->context();
        core_ = std::make_shared<Socket<true>>(std::move(dependencies), std::move(request));
    } else {
        core_ = std::make_shared<Socket<false>>(std::move(dependencies), std::move(request));
    }
    core_->start();
}

BeastWebSocketChannel::~BeastWebSocketChannel() {
    core_->close();
}

asio::awaitable<void> BeastWebSocketChannel::send(std::string text) {
    return core_->send(std::move(text));
}

asio::awaitable<std::optional<std::string>> BeastWebSocketChannel::receive() {
    return core_->receive();
}

void BeastWebSocketChannel::close() {
    core_->close();
}

} // namespace velto
