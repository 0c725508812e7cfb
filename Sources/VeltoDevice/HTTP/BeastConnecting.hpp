#pragma once

// The connection steps shared by the Beast clients: the trust they verify servers against, and
// resolving, connecting and the TLS handshake to a ConnectionTarget. Only for the .cpp files that
// already speak Beast.

#include "VeltoDevice/HTTP/ConnectionTarget.hpp"
#include "VeltoDevice/HTTP/TLSTrust.hpp"

#include <boost/asio/awaitable.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/ssl/ssl_stream.hpp>
#include <boost/system/error_code.hpp>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velto::beastConnecting {

/// The trust a client verifies against: `given` when there is one, else the process's standard one
/// without an extra anchor, or one of its own with it. Throws boost::system::system_error when the
/// anchor cannot be loaded.
std::shared_ptr<TLSTrust> sharedTrust(std::shared_ptr<TLSTrust> given,
                                      const std::optional<std::filesystem::path>& extraTrustAnchor);

/// The endpoint of the target's address literal.
boost::asio::ip::tcp::endpoint addressEndpoint(const ConnectionTarget& target);

/// The endpoints among what the target's host resolved to that a connection may try: all of them,
/// but for a plain connection only this machine's ("localhost" only while it names this machine).
std::vector<boost::asio::ip::tcp::endpoint>
usableEndpoints(const ConnectionTarget& target, const boost::asio::ip::tcp::resolver::results_type& resolved);

/// Connects to the target's address, or to what its host resolves to (`usableEndpoints`).
/// ServerError::unreachable on failure; cancellation stays operation_aborted.
boost::asio::awaitable<void> connect(boost::beast::tcp_stream& stream, const ConnectionTarget& target);

/// Sets up the client handshake: SNI for host names (never for an address literal), and verification
/// of the chain and of the host name. Nothing when SNI cannot be set; else a flag that the handshake
/// sets when the chain is trusted but names another host, for `handshakeFailure`.
std::shared_ptr<const bool> prepareHandshake(boost::beast::ssl_stream<boost::beast::tcp_stream>& stream,
                                             const ConnectionTarget& target);

/// Why a handshake set up by `prepareHandshake` failed: "its certificate is not valid for <host>" when
/// `wrongHost`, "certificate verify failed (<reason>)" when the chain did not verify, else the
/// error's message.
std::string handshakeFailure(boost::beast::ssl_stream<boost::beast::tcp_stream>& stream,
                             const ConnectionTarget& target, const boost::system::error_code& error,
                             bool wrongHost);

/// The client handshake, set up by `prepareHandshake`. ServerError::unreachable on failure, in the words
/// of `handshakeFailure`; cancellation stays operation_aborted.
boost::asio::awaitable<void> handshake(boost::beast::ssl_stream<boost::beast::tcp_stream>& stream,
                                       const ConnectionTarget& target);

} // namespace velto::beastConnecting
