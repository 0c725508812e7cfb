#include "VeltoDevice/Server/VeltoServer.hpp"

#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/Ascii.hpp"

#include <boost/url/parse.hpp>

#include <algorithm>
#include <cstdint>
#include <optional>

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

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

/// The code point encoded by exactly `bytes`, or nothing when they are not one well-formed UTF-8
/// sequence.
std::optional<char32_t> decodeOne(std::string_view bytes) {
    if (bytes.empty())
        return std::nullopt;
    auto lead = static_cast<unsigned char>(bytes[0]);
    std::size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        length = 1;
        value = lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (bytes.size() != length)
        return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        auto byte = static_cast<unsigned char>(bytes[i]);
        if (!isContinuation(byte))
            return std::nullopt;
        value = (value << 6) | (byte & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return std::nullopt;
    return value;
}

/// Length of the UTF-8 sequence that starts `text`, judged by its lead byte.
std::size_t leadingLength(std::string_view text) {
    auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    return 4;
}

/// Length of the UTF-8 sequence that ends `text` (at most four bytes back to a non-continuation byte).
std::size_t trailingLength(std::string_view text) {
    std::size_t length = 1;
    while (length < 4 && length < text.size() &&
           isContinuation(static_cast<unsigned char>(text[text.size() - length])))
        ++length;
    return length;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty()) {
        std::size_t length = std::min(leadingLength(text), text.size());
        auto c = decodeOne(text.substr(0, length));
        if (!c || !isWhitespaceOrNewline(*c))
            break;
        text.remove_prefix(length);
    }
    while (!text.empty()) {
        std::size_t length = trailingLength(text);
        auto c = decodeOne(text.substr(text.size() - length));
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
    if (url.has_port() && !portValue(url.port()))
        throw ServerError::invalidAddress(absolute);
    std::string scheme = asciiLowercased(url.scheme());
    bool accepted = scheme == "https" || (scheme == "http" && isLoopback(url.encoded_host()));
    if (!accepted)
        throw ServerError::insecureAddress(absolute);
    boost::urls::url base(url);
    base.set_scheme(scheme);
    return VeltoServer(std::move(base));
}

std::string VeltoServer::authority() const {
    std::string text(baseURL_.encoded_host());
    if (text.empty())
        return std::string(baseURL_.buffer());
    if (baseURL_.has_port() && !baseURL_.port().empty()) {
        if (auto port = portValue(baseURL_.port()))
            text += ":" + std::to_string(*port);
    }
    return text;
}

bool VeltoServer::isCleartext() const {
    return baseURL_.has_scheme() && asciiLowercased(baseURL_.scheme()) == "http";
}

boost::urls::url VeltoServer::appending(std::string_view path) const {
    boost::urls::url url = baseURL_;
    auto segments = url.encoded_segments();
    // "https://host/base/" and "https://host/base" name the same endpoints.
    if (!segments.empty() && segments.back().empty())
        segments.pop_back();
    std::string_view rest = path;
    while (!rest.empty()) {
        auto slash = rest.find('/');
        std::string_view segment = rest.substr(0, slash);
        segments.push_back(boost::urls::pct_string_view(segment));
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    return url;
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
    auto text = json::string(value, "baseURL");
    if (!text)
        throw ServerError::invalidAddress(
            value.is_object() && value.contains("baseURL") ? value.at("baseURL").dump() : value.dump());
    auto parsed = boost::urls::parse_uri_reference(*text);
    if (!parsed)
        throw ServerError::invalidAddress(*text);
    return fromBaseURL(*parsed);
}

} // namespace velto
