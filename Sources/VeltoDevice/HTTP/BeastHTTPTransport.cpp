#include "VeltoDevice/HTTP/BeastHTTPTransport.hpp"

#include "VeltoDevice/HTTP/BeastConnecting.hpp"
#include "VeltoDevice/HTTP/ConnectionTarget.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"

#include <boost/asio/as_tuple.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/deferred.hpp>
#include <boost/asio/experimental/parallel_group.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/ssl/error.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/vector_body.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/beast/ssl/ssl_stream.hpp>
#include <boost/system/system_error.hpp>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace velto {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = boost::beast::http;
namespace ssl = boost::asio::ssl;
using boost::system::error_code;

struct BeastHTTPTransport::Shared {
    std::shared_ptr<TLSTrust> trust;
    std::shared_ptr<Clock> clock;
    std::size_t bodyLimit = 0;
};

namespace {

// Generous for any server's header block; the body has its own limit.
constexpr std::uint32_t headerLimit = 64 * 1024;

using Body = http::vector_body<std::uint8_t>;

using Target = ConnectionTarget;

Target targetOf(const boost::urls::url& url) {
    auto parsed = ConnectionTarget::parse(url, "https", "http");
    if (auto* target = std::get_if<ConnectionTarget>(&parsed))
        return std::move(*target);
    const std::string text(url.buffer());
    switch (std::get<ConnectionTarget::Problem>(parsed)) {
    case ConnectionTarget::Problem::unknownScheme:
    case ConnectionTarget::Problem::notEncrypted:
        throw ServerError::insecureAddress(text);
    case ConnectionTarget::Problem::noHost:
    case ConnectionTarget::Problem::invalidPort:
    case ConnectionTarget::Problem::malformed:
        break;
    }
    throw ServerError::invalidAddress(text);
}

bool isToken(std::string_view name) {
    static constexpr std::string_view extra = "!#$%&'*+-.^_`|~";
    return !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || extra.find(static_cast<char>(c)) != std::string_view::npos;
    });
}

/// Fields come from our own code; one that would split the header block is a programming error.
void checkFields(const HTTPRequest& request) {
    if (!isToken(request.method))
        throw std::invalid_argument("the HTTP method is not a token: " + request.method);
    for (const auto& [name, value] : request.headers) {
        if (!isToken(name) || value.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            throw std::invalid_argument("the header field " + name + " cannot be sent");
    }
}

using Parser = http::response_parser<Body>;

void limit(Parser& parser, std::size_t bodyLimit) {
    parser.header_limit(headerLimit);
    parser.body_limit(bodyLimit);
}

[[noreturn]] void throwReadFailure(const error_code& readError, const std::string& authority) {
    if (readError == asio::error::operation_aborted)
        throwCancellation();
    if (readError == http::error::end_of_stream)
        throw ServerError::unreachable(authority + " closed the connection without answering.");
    if (readError == http::error::partial_message)
        throw ServerError::unreachable("The connection to " + authority +
                                       " ended before the reply was complete.");
    if (readError.category() == http::make_error_code(http::error::bad_version).category())
        throw ServerError::malformedResponse();
    throw ServerError::unreachable("The connection to " + authority + " was lost: " + readError.message() +
                                   ".");
}

HTTPReply replyOf(Parser& parser) {
    auto response = parser.release();
    std::vector<std::pair<std::string, std::string>> fields;
    for (const auto& field : response)
        fields.emplace_back(std::string(field.name_string()), std::string(field.value()));
    return HTTPReply(static_cast<int>(response.result_int()), fields, std::move(response.body()));
}

template <typename Stream>
asio::awaitable<HTTPReply> exchangeOn(Stream& stream, const HTTPRequest& request, const Target& target,
                                      std::size_t bodyLimit) {
    http::request<Body> message;
    message.method_string(request.method);
    message.target(target.requestTarget);
    message.version(11);
    message.set(http::field::host, target.authority);
    for (const auto& [name, value] : request.headers)
        message.insert(name, value);
    message.body() = request.body;
    message.keep_alive(false);
    message.prepare_payload();

    auto [writeError, written] =
        co_await http::async_write(stream, message, asio::as_tuple(asio::use_awaitable));
    if (writeError == asio::error::operation_aborted)
        throwCancellation();
    if (writeError)
        throw ServerError::unreachable("The request could not be sent to " + target.authority + ": " +
                                       writeError.message() + ".");

    beast::flat_buffer buffer;
    Parser parser;
    limit(parser, bodyLimit);
    auto [readError, read] =
        co_await http::async_read(stream, buffer, parser, asio::as_tuple(asio::use_awaitable));
    if (readError == ssl::error::stream_truncated && parser.is_header_done() && parser.need_eof()) {
        // A reply delimited by the end of the connection, closed without a TLS close_notify.
        readError = {};
        parser.put_eof(readError);
    }
    if (readError)
        throwReadFailure(readError, target.authority);
    co_return replyOf(parser);
}

/// `trust` belongs to the transport, which the awaiting send keeps alive; the context taken from it
/// lives as long as the stream that uses it.
asio::awaitable<HTTPReply> exchange(TLSTrust& trust, std::size_t bodyLimit, HTTPRequest request,
                                    Target target) {
    beast::tcp_stream socket(co_await asio::this_coro::executor);
    co_await beastConnecting::connect(socket, target);
    if (!target.secure)
        co_return co_await exchangeOn(socket, request, target, bodyLimit);
    const auto tls = trust.context();
    beast::ssl_stream<beast::tcp_stream> stream(std::move(socket), *tls);
    co_await beastConnecting::handshake(stream, target);
    co_return co_await exchangeOn(stream, request, target, bodyLimit);
}

} // namespace

BeastHTTPTransport::BeastHTTPTransport() : BeastHTTPTransport(Options{}) {}

BeastHTTPTransport::BeastHTTPTransport(Options options) : shared_(std::make_shared<Shared>()) {
    shared_->trust = beastConnecting::sharedTrust(std::move(options.trust), options.extraTrustAnchor);
    shared_->clock = options.clock ? std::move(options.clock) : SystemClock::shared();
    shared_->bodyLimit = options.bodyLimit;
}

BeastHTTPTransport::~BeastHTTPTransport() = default;

HTTPReply BeastHTTPTransport::readReply(std::string_view bytes, std::size_t bodyLimit) {
    Parser parser;
    limit(parser, bodyLimit);
    error_code error;
    asio::const_buffer rest(bytes.data(), bytes.size());
    while (rest.size() > 0 && !parser.is_done()) {
        std::size_t used = parser.put(rest, error);
        if (error == http::error::need_more) {
            // Everything there is was given: what is left over ends with the connection.
            error = {};
            break;
        }
        if (error || used == 0)
            break;
        rest += used;
    }
    if (!error && !parser.is_done()) {
        if (parser.got_some())
            parser.put_eof(error);
        else
            error = http::error::end_of_stream;
    }
    if (error)
        throwReadFailure(error, "the server");
    return replyOf(parser);
}

asio::awaitable<HTTPReply> BeastHTTPTransport::send(HTTPRequest request) {
    // Held by this frame until both racers have ended.
    auto shared = shared_;
    auto target = targetOf(request.url);
    checkFields(request);
    auto executor = co_await asio::this_coro::executor;
    auto timeout = std::chrono::duration_cast<Clock::Duration>(request.timeout);
    try {
        // The first to finish decides; the other is cancelled and waited for.
        auto [order, exchangeError, reply, timerError] =
            co_await asio::experimental::make_parallel_group(
                asio::co_spawn(
                    executor,
                    exchange(*shared->trust, shared->bodyLimit, std::move(request), std::move(target)),
                    asio::deferred),
                asio::co_spawn(executor, shared->clock->sleep(timeout), asio::deferred))
                .async_wait(asio::experimental::wait_for_one(), asio::use_awaitable);
        if (order[0] == 0) {
            if (exchangeError)
                std::rethrow_exception(exchangeError);
            co_return std::move(reply);
        }
        if (timerError)
            std::rethrow_exception(timerError);
        throw ServerError::unreachable("The request timed out.");
    } catch (const boost::system::system_error& error) {
        // Cancellation stays cancellation, so callers can tell a stop from a failure.
        if (error.code() == asio::error::operation_aborted)
            throw;
        throw ServerError::unreachable(error.code().message() + ".");
    }
}

} // namespace velto
