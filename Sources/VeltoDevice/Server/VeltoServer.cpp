#include "VeltoDevice/Server/VeltoServer.hpp"

#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Server/URLShape.hpp"
#include "VeltoDevice/Support/Ascii.hpp"
#include "VeltoDevice/Support/UTF8.hpp"

#include <boost/url/parse.hpp>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace velto {

namespace {

/// White space and line breaks as users paste them: categories Zs, Zl and Zp, the C0 controls from
/// tab to carriage return, and NEL.
bool isWhitespaceOrNewline(char32_t c) {
    switch (c) {
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x20:
    case 0x85:
    case 0xA0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return c >= 0x2000 && c <= 0x200A;
    }
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty()) {
        std::size_t length = std::min(utf8::leadingLength(text), text.size());
        auto c = utf8::decodeOne(text.substr(0, length));
        if (!c || !isWhitespaceOrNewline(*c))
            break;
        text.remove_prefix(length);
    }
    while (!text.empty()) {
        std::size_t length = utf8::trailingLength(text);
        auto c = utf8::decodeOne(text.substr(text.size() - length));
        if (!c || !isWhitespaceOrNewline(*c))
            break;
        text.remove_suffix(length);
    }
    return text;
}

bool isLoopback(std::string_view host) {
    while (!host.empty() && (host.front() == '[' || host.front() == ']'))
        host.remove_prefix(1);
    while (!host.empty() && (host.back() == '[' || host.back() == ']'))
        host.remove_suffix(1);
    std::string test = asciiLowercased(host);
    return test == "localhost" || test == "127.0.0.1" || test == "::1";
}

/// The port as written, when it is one a socket can use; an absent or empty port is port-less.
std::optional<std::uint32_t> portValue(std::string_view digits) {
    std::uint32_t value = 0;
    for (char c : digits) {
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
        if (value > 65535)
            return std::nullopt;
    }
    return value;
}

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

/// One path segment holding `text` whatever it contains: everything but the unreserved characters is
/// percent-encoded, and so are the dots of "." and "..", which would otherwise step through the path.
std::string encodedSegment(std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    bool dotSegment = text == "." || text == "..";
    std::string out;
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (isUnreserved(c) && !(dotSegment && c == '.')) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 0x0F]);
        }
    }
    return out;
}

} // namespace

VeltoServer VeltoServer::fromAddress(std::string_view text) {
    std::string_view address = trimmed(text);
    auto parsed = boost::urls::parse_uri_reference(address);
    if (!parsed)
        throw ServerError::invalidAddress(std::string(address));
    return fromBaseURL(*parsed);
}

VeltoServer VeltoServer::fromBaseURL(boost::urls::url_view url) {
    std::string absolute(url.buffer());
    // Without a host there is nowhere to connect; user information would travel in every proof's
    // target URL, so an address carrying it is refused too.
    if (!url.has_scheme() || !url.has_authority() || url.encoded_host().empty() || url.has_userinfo())
        throw ServerError::invalidAddress(absolute);
    // Text that Boost.URL reads as another place names no address we could keep as it is.
    if (!urlShape::hasSoundAuthority(url))
        throw ServerError::invalidAddress(absolute);
    // Port 0 is no port a connection can reach; an empty port is no port at all.
    if (url.has_port() && !url.port().empty()) {
        auto port = portValue(url.port());
        if (!port || *port == 0)
            throw ServerError::invalidAddress(absolute);
    }
    std::string scheme = asciiLowercased(url.scheme());
    bool accepted = scheme == "https" || (scheme == "http" && isLoopback(url.encoded_host()));
    if (!accepted)
        throw ServerError::insecureAddress(absolute);
    boost::urls::url base(url);
    base.set_scheme(scheme);
    // What is kept must read back as the same place, or a reload would connect elsewhere, or refuse it.
    if (!urlShape::readsBackAs(base.buffer(), url))
        throw ServerError::invalidAddress(absolute);
    return VeltoServer(std::move(base));
}

std::string VeltoServer::authority() const {
    std::string text(baseURL_.encoded_host());
    if (text.empty())
        return std::string(baseURL_.buffer());
    if (baseURL_.has_port() && !baseURL_.port().empty()) {
        // Appended, not `"x" + std::string`: optimised g++ 12 reports a false overflow inside that
        // operator.
        if (auto port = portValue(baseURL_.port()))
            text.append(":").append(std::to_string(*port));
    }
    return text;
}

bool VeltoServer::isCleartext() const {
    return baseURL_.has_scheme() && asciiLowercased(baseURL_.scheme()) == "http";
}

boost::urls::url VeltoServer::appending(std::string_view path) const {
    // Built as text: Boost.URL 1.81's path editing rewrites what it takes for dot segments (a base
    // path of "/./" lost its "." through the segment view, and set_encoded_path turns "//" into "/.//"),
    // so an endpoint would no longer extend its base as written.
    std::string_view text = baseURL_.buffer();
    std::string_view basePath = baseURL_.encoded_path();
    auto pathStart = static_cast<std::size_t>(basePath.data() - text.data());
    // "https://host/base/" and "https://host/base" name the same endpoints.
    std::string_view kept = basePath;
    if (!kept.empty() && kept.back() == '/')
        kept.remove_suffix(1);
    std::string endpoint(text.substr(0, pathStart));
    endpoint.append(kept).append("/").append(path).append(text.substr(pathStart + basePath.size()));
    auto parsed = boost::urls::parse_uri_reference(endpoint);
    // A validated base with a path of unreserved characters and escapes appended stays a URL.
    if (!parsed)
        throw std::logic_error("an endpoint URL of a validated server does not parse");
    return boost::urls::url(*parsed);
}

boost::urls::url VeltoServer::commandLineLoginURL() const {
    return appending("api/devices/session");
}

boost::urls::url VeltoServer::connectURL() const {
    return appending("api/devices/connect");
}

boost::urls::url VeltoServer::connectSocketURL() const {
    boost::urls::url url = connectURL();
    bool secure = url.has_scheme() && url.scheme() == "https";
    url.set_scheme(secure ? "wss" : "ws");
    return url;
}

boost::urls::url VeltoServer::macPairingPage() const {
    auto url = appending("organization/settings/devices");
    url.set_encoded_query("pair=mac");
    return url;
}

boost::urls::url VeltoServer::enrollURL() const {
    return appending("api/devices/enroll");
}

boost::urls::url VeltoServer::nonceURL() const {
    return appending("api/devices/nonce");
}

boost::urls::url VeltoServer::organizationPhotoURL() const {
    return appending("api/devices/organization-photo");
}

boost::urls::url VeltoServer::deviceScopesURL(std::string_view deviceId) const {
    return appending("api/devices/" + encodedSegment(deviceId) + "/scopes");
}

boost::urls::url VeltoServer::deviceScopeURL(std::string_view deviceId, std::string_view scope) const {
    return appending("api/devices/" + encodedSegment(deviceId) + "/scopes/" + encodedSegment(scope));
}

Json VeltoServer::toJson() const {
    return Json{{"baseURL", std::string(baseURL_.buffer())}};
}

VeltoServer VeltoServer::fromJson(const Json& value) {
    // The stored value itself never goes into the error: it may be anything, nested arbitrarily deep.
    auto text = json::string(value, "baseURL");
    if (!text)
        throw ServerError::invalidAddress("");
    auto parsed = boost::urls::parse_uri_reference(*text);
    if (!parsed)
        throw ServerError::invalidAddress(*text);
    return fromBaseURL(*parsed);
}

} // namespace velto
