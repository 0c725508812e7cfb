#pragma once

// The connection steps shared by the Beast clients: the trust they verify servers against, and
// resolving, connecting and the TLS handshake to a ConnectionTarget. Only for the .cpp files that
// already speak Beast.

#include "VeltoDevice/HTTP/ConnectionTarget.hpp"

#include <boost/asio/awaitable.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/ssl/ssl_stream.hpp>

#include <filesystem>
#include <optional>

namespace velto::beastConnecting {

/// A client context that trusts the system's store and the extra anchor (a PEM file) when given,
/// TLS 1.2 at least. Throws boost::system::system_error when the anchor cannot be loaded.
void trust(boost::asio::ssl::context& tls, const std::optional<std::filesystem::path>& extraTrustAnchor);

/// Connects to the target's address, or to what its host resolves to; "localhost" only while it
/// names this machine. ServerError::unreachable on failure; cancellation stays operation_aborted.
boost::asio::awaitable<void> connect(boost::beast::tcp_stream& stream, const ConnectionTarget& target);

/// The client handshake with SNI (for host names) and host name verification.
/// ServerError::unreachable on failure; cancellation stays operation_aborted.
boost::asio::awaitable<void> handshake(boost::beast::ssl_stream<boost::beast::tcp_stream>& stream,
                                       const ConnectionTarget& target);

} // namespace velto::beastConnecting
