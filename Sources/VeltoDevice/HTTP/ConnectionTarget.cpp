#include "VeltoDevice/HTTP/ConnectionTarget.hpp"

#include "VeltoDevice/Server/URLShape.hpp"
#include "VeltoDevice/Support/Ascii.hpp"

#include <charconv>

namespace velto {

std::variant<ConnectionTarget, ConnectionTarget::Problem>
ConnectionTarget::parse(const boost::urls::url& url, std::string_view secureScheme,
                        std::string_view plainScheme) {
    ConnectionTarget target;
    auto scheme = asciiLowercased(url.scheme());
    if (scheme != secureScheme && scheme != plainScheme)
        return Problem::unknownScheme;
    target.secure = scheme == secureScheme;
    // "host:844AA/x" would otherwise be port 844 and a request for "AA/x".
    if (!urlShape::hasSoundAuthority(url) || !urlShape::readsBackAs(url.buffer(), url))
        return Problem::malformed;

    switch (url.host_type()) {
    case boost::urls::host_type::ipv4:
        target.host = url.host_ipv4_address().to_string();
        break;
    case boost::urls::host_type::ipv6:
        target.host = url.host_ipv6_address().to_string();
        break;
    case boost::urls::host_type::name:
        target.host = url.host_name();
        break;
    default:
        return Problem::noHost;
    }
    if (target.host.empty())
        return Problem::noHost;
    if (url.host_type() != boost::urls::host_type::name) {
        boost::system::error_code invalid;
        target.address = boost::asio::ip::make_address(target.host, invalid);
        if (invalid)
            return Problem::noHost;
    }

    // Unencrypted connections go only to this machine, as the server address allows.
    if (!target.secure) {
        auto host = asciiLowercased(target.host);
        if (host != "localhost" && host != "127.0.0.1" && host != "::1")
            return Problem::notEncrypted;
    }

    target.port = target.secure ? "443" : "80";
    target.authority = std::string(url.encoded_host());
    if (url.host_type() == boost::urls::host_type::ipv6 && target.authority.front() != '[')
        target.authority = "[" + target.authority + "]";
    if (url.has_port() && !url.port().empty()) {
        std::string_view text = url.port();
        unsigned value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc{} || end != text.data() + text.size() || value == 0 || value > 65535)
            return Problem::invalidPort;
        target.port = std::to_string(value);
        target.authority += ":" + std::string(text);
    }

    target.requestTarget = url.encoded_path().empty() ? "/" : std::string(url.encoded_path());
    // Appended, not `"x" + std::string`: optimised g++ 12 reports a false overflow inside that operator.
    if (url.has_query())
        target.requestTarget.append("?").append(url.encoded_query());
    return target;
}

} // namespace velto
