#include "VeltoDevice/HTTP/BeastConnecting.hpp"

#include "VeltoDevice/Server/ServerError.hpp"

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
#include <vector>

namespace velto::beastConnecting {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace ssl = boost::asio::ssl;
using tcp = boost::asio::ip::tcp;
using boost::system::error_code;
using Target = ConnectionTarget;

namespace {

[[noreturn]] void throwAborted() {
    throw boost::system::system_error(asio::error::operation_aborted);
}

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
        throwAborted();
    }
    if (pending->error == asio::error::operation_aborted)
        throwAborted();
    if (pending->error)
        throw ServerError::unreachable("The server " + target.host +
                                       " could not be found: " + pending->error.message() + ".");
    co_return std::move(pending->results);
}

} // namespace

asio::awaitable<void> connect(beast::tcp_stream& stream, const Target& target) {
    std::vector<tcp::endpoint> endpoints;
    if (target.address) {
        endpoints.emplace_back(*target.address, static_cast<unsigned short>(std::stoul(target.port)));
    } else {
        for (const auto& entry : co_await resolve(target)) {
            // "localhost" is trusted with plain http only while it names this machine.
            if (!target.loopbackOnly() || entry.endpoint().address().is_loopback())
                endpoints.push_back(entry.endpoint());
        }
        if (endpoints.empty())
            throw ServerError::unreachable("The server " + target.host + " is not on this machine.");
    }
    auto [error, endpoint] = co_await stream.async_connect(endpoints, asio::as_tuple(asio::use_awaitable));
    if (error == asio::error::operation_aborted)
        throwAborted();
    if (error)
        throw ServerError::unreachable("Could not connect to " + target.authority + ": " + error.message() +
                                       ".");
}

asio::awaitable<void> handshake(beast::ssl_stream<beast::tcp_stream>& stream, const Target& target) {
    // SNI carries host names only, never an address literal.
    if (!target.address && SSL_ctrl(stream.native_handle(), SSL_CTRL_SET_TLSEXT_HOSTNAME,
                                    TLSEXT_NAMETYPE_host_name, const_cast<char*>(target.host.c_str())) != 1)
        throw ServerError::unreachable("A secure connection to " + target.authority +
                                       " could not be started.");
    // Set when the chain is trusted but names another host, to say so in the error.
    auto wrongHost = std::make_shared<bool>(false);
    stream.set_verify_mode(ssl::verify_peer);
    stream.set_verify_callback([verify = ssl::host_name_verification(target.host),
                                wrongHost](bool preverified, ssl::verify_context& context) {
        bool verified = verify(preverified, context);
        if (preverified && !verified)
            *wrongHost = true;
        return verified;
    });
    auto [error] =
        co_await stream.async_handshake(ssl::stream_base::client, asio::as_tuple(asio::use_awaitable));
    if (error == asio::error::operation_aborted)
        throwAborted();
    if (error) {
        std::string detail = error.message();
        if (*wrongHost) {
            detail = "its certificate is not valid for " + target.host;
        } else if (auto result = SSL_get_verify_result(stream.native_handle()); result != X509_V_OK) {
            detail = std::string("certificate verify failed (") + X509_verify_cert_error_string(result) + ")";
        }
        throw ServerError::unreachable("A secure connection to " + target.authority +
                                       " could not be made: " + detail + ".");
    }
}

void trust(ssl::context& tls, const std::optional<std::filesystem::path>& extraTrustAnchor) {
    tls.set_default_verify_paths();
    if (extraTrustAnchor)
        tls.load_verify_file(extraTrustAnchor->string());
    SSL_CTX_set_min_proto_version(tls.native_handle(), TLS1_2_VERSION);
}

} // namespace velto::beastConnecting
