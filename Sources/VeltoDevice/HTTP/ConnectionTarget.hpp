#pragma once

#include <boost/asio/ip/address.hpp>
#include <boost/url/url.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace velto {

/// Where one connection goes (an HTTP request or a WebSocket upgrade), taken apart once before any
/// connection is made. Each caller words the refusals in its own error type.
struct ConnectionTarget {
    enum class Problem {
        /// Neither the encrypted nor the plain scheme the caller speaks.
        unknownScheme,
        /// No host, or an IP literal that does not parse.
        noHost,
        /// A plain connection to a host other than this machine.
        notEncrypted,
        /// A port that is not 1 to 65535.
        invalidPort,
        /// Text that does not read as one place: a port that is not digits only, a path after the
        /// host that does not begin with "/", or parts that read back otherwise.
        malformed
    };

    bool secure = true;
    /// The host to resolve and to verify the certificate for (an IPv6 literal without brackets).
    std::string host;
    /// An IP literal, which needs no resolving and gets no SNI.
    std::optional<boost::asio::ip::address> address;
    /// The port to connect to, explicit or the scheme's.
    std::string port;
    /// Host and port as the URL writes them: the "Host" field, and how messages name the server.
    std::string authority;
    /// Path and query; the fragment and user information are never sent.
    std::string requestTarget;

    /// A plain connection may only reach addresses on this machine.
    bool loopbackOnly() const { return !secure; }

    /// `secureScheme` and `plainScheme` are lower case ("https" and "http", or "wss" and "ws").
    static std::variant<ConnectionTarget, Problem>
    parse(const boost::urls::url& url, std::string_view secureScheme, std::string_view plainScheme);
};

} // namespace velto
