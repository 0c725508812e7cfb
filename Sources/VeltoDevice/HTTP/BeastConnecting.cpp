#include "VeltoDevice/HTTP/BeastConnecting.hpp"

#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"

#include <boost/asio/as_tuple.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/ssl/host_name_verification.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/system/system_error.hpp>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <memory>
#include <string>
#include <vector>

namespace velto::beastConnecting {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace ssl = boost::asio::ssl;
using tcp = boost::asio::ip::tcp;
using boost::system::error_code;
using Target = ConnectionTarget;

namespace {

/// Resolves a host name. getaddrinfo cannot be interrupted, so a cancelled resolve is left to finish
/// on its own and the caller is released at once.
asio::awaitable<tcp::resolver::results_type> resolve(const Target& target) {
    struct Pending {
        explicit Pending(const asio::any_io_executor& executor) : resolver(executor), done(executor) {}
        tcp::resolver resolver;
        asio::steady_timer done;
        error_code error;
        tcp::resolver::results_type results;
        bool finished = false;
    };
    auto pending = std::make_shared<Pending>(co_await asio::this_coro::executor);
    pending->done.expires_at(asio::steady_timer::time_point::max());
    pending->resolver.async_resolve(target.host, target.port,
                                    [pending](error_code error, tcp::resolver::results_type results) {
                                        pending->error = error;
                                        pending->results = std::move(results);
                                        pending->finished = true;
                                        pending->done.cancel();
                                    });
    error_code ignored;
    co_await pending->done.async_wait(asio::redirect_error(asio::use_awaitable, ignored));
    if (!pending->finished) {
        pending->resolver.cancel();
        throwCancellation();
    }
    if (pending->error == asio::error::operation_aborted)
        throwCancellation();
    if (pending->error)
        throw ServerError::unreachable("The server " + target.host +
                                       " could not be found: " + pending->error.message() + ".");
    co_return std::move(pending->results);
}

} // namespace

tcp::endpoint addressEndpoint(const Target& target) {
    return tcp::endpoint(*target.address, static_cast<unsigned short>(std::stoul(target.port)));
}

std::vector<tcp::endpoint> usableEndpoints(const Target& target,
                                           const tcp::resolver::results_type& resolved) {
    std::vector<tcp::endpoint> endpoints;
    for (const auto& entry : resolved) {
        // "localhost" is trusted with a plain connection only while it names this machine.
        if (!target.loopbackOnly() || entry.endpoint().address().is_loopback())
            endpoints.push_back(entry.endpoint());
    }
    return endpoints;
}

asio::awaitable<void> connect(beast::tcp_stream& stream, const Target& target) {
    std::vector<tcp::endpoint> endpoints;
    if (target.address) {
        endpoints.push_back(addressEndpoint(target));
    } else {
        auto resolved = co_await resolve(target);
        endpoints = usableEndpoints(target, resolved);
        if (endpoints.empty())
            throw ServerError::unreachable("The server " + target.host + " is not on this machine.");
    }
    auto [error, endpoint] = co_await stream.async_connect(endpoints, asio::as_tuple(asio::use_awaitable));
    if (error == asio::error::operation_aborted)
        throwCancellation();
    if (error)
        throw ServerError::unreachable("Could not connect to " + target.authority + ": " + error.message() +
                                       ".");
}

std::shared_ptr<const bool> prepareHandshake(beast::ssl_stream<beast::tcp_stream>& stream,
                                             const Target& target) {
    // SNI carries host names only, never an address literal.
    if (!target.address && SSL_ctrl(stream.native_handle(), SSL_CTRL_SET_TLSEXT_HOSTNAME,
                                    TLSEXT_NAMETYPE_host_name, const_cast<char*>(target.host.c_str())) != 1)
        return nullptr;
    auto wrongHost = std::make_shared<bool>(false);
    stream.set_verify_mode(ssl::verify_peer);
    stream.set_verify_callback([verify = ssl::host_name_verification(target.host),
                                wrongHost](bool preverified, ssl::verify_context& context) {
        bool verified = verify(preverified, context);
        if (preverified && !verified)
            *wrongHost = true;
        return verified;
    });
    return wrongHost;
}

std::string handshakeFailure(beast::ssl_stream<beast::tcp_stream>& stream, const Target& target,
                             const error_code& error, bool wrongHost) {
    if (wrongHost)
        return "its certificate is not valid for " + target.host;
    if (auto result = SSL_get_verify_result(stream.native_handle()); result != X509_V_OK)
        return std::string("certificate verify failed (") + X509_verify_cert_error_string(result) + ")";
    return error.message();
}

asio::awaitable<void> handshake(beast::ssl_stream<beast::tcp_stream>& stream, const Target& target) {
    auto wrongHost = prepareHandshake(stream, target);
    if (!wrongHost)
        throw ServerError::unreachable("A secure connection to " + target.authority +
                                       " could not be started.");
    auto [error] =
        co_await stream.async_handshake(ssl::stream_base::client, asio::as_tuple(asio::use_awaitable));
    if (error == asio::error::operation_aborted)
        throwCancellation();
    if (error)
        throw ServerError::unreachable("A secure connection to " + target.authority + " could not be made: " +
                                       handshakeFailure(stream, target, error, *wrongHost) + ".");
}

std::shared_ptr<TLSTrust> sharedTrust(std::shared_ptr<TLSTrust> given,
                                      const std::optional<std::filesystem::path>& extraTrustAnchor) {
    if (given)
        return given;
    if (!extraTrustAnchor)
        return TLSTrust::standard();
    return std::make_shared<TLSTrust>(extraTrustAnchor);
}

} // namespace velto::beastConnecting
