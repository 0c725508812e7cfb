#include "VeltoDevice/Update/BeastUpdateDownloader.hpp"

#include "VeltoDevice/HTTP/BeastConnecting.hpp"
#include "VeltoDevice/HTTP/ConnectionTarget.hpp"
#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/FileDescriptor.hpp"
#include "VeltoDevice/Support/Files.hpp"
#include "VeltoDevice/Support/RedirectPolicy.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"
#include "VeltoDevice/Update/UpdateRefusal.hpp"

#include <boost/asio/as_tuple.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/deferred.hpp>
#include <boost/asio/experimental/parallel_group.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/ssl/error.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/buffer_body.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/system/system_error.hpp>

#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace velto {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = boost::beast::http;
namespace ssl = boost::asio::ssl;

struct BeastUpdateDownloader::Shared {
    std::shared_ptr<TLSTrust> trust;
    Options options;
};

namespace {

constexpr std::uint32_t headerLimit = 64 * 1024;
constexpr std::size_t chunkSize = 1024 * 1024;

/// A step that failed for a reason of the server or the network; it becomes downloadFailed.
struct DownloadFailure {};

[[noreturn]] void fail() {
    throw DownloadFailure{};
}

void checkRead(boost::system::error_code error) {
    if (error == asio::error::operation_aborted)
        throw boost::system::system_error(error);
    if (error)
        fail();
}

/// When the last byte arrived, for the idle time-out.
struct Activity {
    Clock* clock = nullptr;
    Clock::Instant last{};
    void touch() { last = clock->now(); }
};

ConnectionTarget httpsTarget(const boost::urls::url& url) {
    // No plain scheme: a download goes over https or not at all.
    auto parsed = ConnectionTarget::parse(url, "https", "https");
    auto* target = std::get_if<ConnectionTarget>(&parsed);
    if (target == nullptr)
        fail();
    return std::move(*target);
}

/// One request: the address of a redirect to follow, or nothing once the body is in `file`.
asio::awaitable<std::optional<boost::urls::url>> fetch(TLSTrust& trust,
                                                       const BeastUpdateDownloader::Options& options,
                                                       RedirectPolicy& redirects, const boost::urls::url& url,
                                                       const FileDescriptor& file, Activity& activity) {
    auto target = httpsTarget(url);
    beast::tcp_stream socket(co_await asio::this_coro::executor);
    co_await beastConnecting::connect(socket, target);
    const auto tls = trust.context();
    beast::ssl_stream<beast::tcp_stream> stream(std::move(socket), *tls);
    co_await beastConnecting::handshake(stream, target);

    http::request<http::empty_body> request(http::verb::get, target.requestTarget, 11);
    request.set(http::field::host, target.authority);
    request.set(http::field::accept_encoding, "identity");
    request.keep_alive(false);
    auto [writeError, written] =
        co_await http::async_write(stream, request, asio::as_tuple(asio::use_awaitable));
    checkRead(writeError);

    beast::flat_buffer buffer;
    http::response_parser<http::buffer_body> parser;
    parser.header_limit(headerLimit);
    parser.body_limit(options.sizeLimit);
    auto [headerError, headerBytes] =
        co_await http::async_read_header(stream, buffer, parser, asio::as_tuple(asio::use_awaitable));
    checkRead(headerError);
    activity.touch();

    unsigned status = parser.get().result_int();
    if (RedirectPolicy::isRedirect(static_cast<int>(status))) {
        auto location = parser.get()[http::field::location];
        auto next = redirects.follow(url, std::string_view(location.data(), location.size()));
        if (!next)
            fail();
        co_return next;
    }
    if (status != 200)
        fail();

    std::vector<char> chunk(chunkSize);
    while (!parser.is_done()) {
        parser.get().body().data = chunk.data();
        parser.get().body().size = chunk.size();
        auto [error, count] =
            co_await http::async_read(stream, buffer, parser, asio::as_tuple(asio::use_awaitable));
        if (error == http::error::need_buffer)
            error = {};
        if (error == ssl::error::stream_truncated && parser.need_eof()) {
            // A body delimited by the end of the connection, closed without a TLS close_notify.
            error = {};
            parser.put_eof(error);
        }
        checkRead(error);
        activity.touch();
        std::size_t received = chunk.size() - parser.get().body().size;
        auto write = [&file, &chunk, received] {
            return file.writeAll(std::string_view(chunk.data(), received));
        };
        bool saved = false;
        if (options.writer) {
            // Awaited to its end even when cancelled, so the chunk outlives the write.
            saved = co_await runBlocking(options.writer, std::move(write));
        } else {
            saved = write();
        }
        if (!saved)
            fail();
    }
    co_return std::nullopt;
}

/// `trust` and `options` belong to the downloader, which the awaiting download keeps alive.
asio::awaitable<void> transfer(TLSTrust& trust, const BeastUpdateDownloader::Options& options,
                               boost::urls::url url, const FileDescriptor& file, Activity& activity) {
    RedirectPolicy redirects(options.maximumRedirects);
    for (;;) {
        auto next = co_await fetch(trust, options, redirects, url, file, activity);
        if (!next)
            co_return;
        url = std::move(*next);
    }
}

/// Ends once `idle` has passed since the last byte.
asio::awaitable<void> watchdog(Clock& clock, const Activity& activity, Clock::Duration idle) {
    for (;;) {
        auto deadline = activity.last + idle;
        auto now = clock.now();
        if (now >= deadline)
            co_return;
        co_await clock.sleep(deadline - now);
    }
}

} // namespace

BeastUpdateDownloader::BeastUpdateDownloader() : BeastUpdateDownloader(Options{}) {}

BeastUpdateDownloader::BeastUpdateDownloader(Options options) : shared_(std::make_shared<Shared>()) {
    shared_->trust = beastConnecting::sharedTrust(std::move(options.trust), options.extraTrustAnchor);
    if (!options.clock)
        options.clock = SystemClock::shared();
    shared_->options = std::move(options);
}

BeastUpdateDownloader::~BeastUpdateDownloader() = default;

asio::awaitable<void> BeastUpdateDownloader::download(boost::urls::url url,
                                                      std::filesystem::path destination) {
    auto shared = shared_;
    std::string partialPath = (destination.parent_path() / ".download-XXXXXX").string();
    FileDescriptor file(::mkostemp(partialPath.data(), O_CLOEXEC));
    if (!file.isOpen())
        throw UpdateRefusal(UpdateRefusal::Case::downloadFailed);
    std::exception_ptr failure;
    try {
        auto executor = co_await asio::this_coro::executor;
        Clock& clock = *shared->options.clock;
        Activity activity{&clock};
        activity.touch();
        auto [order, transferError, watchdogError] =
            co_await asio::experimental::make_parallel_group(
                asio::co_spawn(executor,
                               transfer(*shared->trust, shared->options, std::move(url), file, activity),
                               asio::deferred),
                asio::co_spawn(executor, watchdog(clock, activity, shared->options.idleTimeout),
                               asio::deferred))
                .async_wait(asio::experimental::wait_for_one(), asio::use_awaitable);
        if (order[0] == 0 && transferError)
            std::rethrow_exception(transferError);
        if (order[0] == 1)
            std::rethrow_exception(watchdogError ? watchdogError
                                                 : std::make_exception_ptr(DownloadFailure{}));
        if (!file.close())
            fail();
        files::moveWithoutReplacing(partialPath, destination);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!failure)
        co_return;
    ::unlink(partialPath.c_str());
    auto cancellation = co_await asio::this_coro::cancellation_state;
    if (isCancellation(failure) || cancellation.cancelled() != asio::cancellation_type::none)
        throwCancellation();
    throw UpdateRefusal(UpdateRefusal::Case::downloadFailed);
}

} // namespace velto
