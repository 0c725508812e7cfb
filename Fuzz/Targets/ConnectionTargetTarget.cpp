#include "VeltoDevice/HTTP/ConnectionTarget.hpp"

#include <boost/url/parse.hpp>

#include <algorithm>
#include <string>
#include <variant>

#include "Targets/PropertyViolation.hpp"
#include "Targets/Targets.hpp"

namespace velto::fuzz {

namespace {

bool isDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

/// Visible ASCII only: nothing that could end the request line or split a header.
bool isVisible(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

} // namespace

void runConnectionTarget(std::string_view input) {
    auto url = boost::urls::parse_uri_reference(input);
    if (!url)
        return;
    auto parsed = ConnectionTarget::parse(boost::urls::url(*url), "https", "http");
    auto* target = std::get_if<ConnectionTarget>(&parsed);
    if (target == nullptr)
        return;
    require(!target->host.empty(), "a target has a host");
    require(isDigits(target->port) && std::stoul(target->port) >= 1 && std::stoul(target->port) <= 65535,
            "a target's port is 1 to 65535");
    require(target->requestTarget.front() == '/' && isVisible(target->requestTarget),
            "a request target begins with \"/\" and holds visible ASCII only");
    require(isVisible(target->authority), "the Host field holds visible ASCII only");
    require(target->secure || target->loopbackOnly(), "a plain target is for this machine only");

    // The request goes where the text says: the authority and request target, put together again,
    // name the same host, port, path and query.
    std::string again =
        std::string(target->secure ? "https://" : "http://") + target->authority + target->requestTarget;
    auto reread = boost::urls::parse_uri_reference(again);
    require(reread.has_value(), "a target reads back as a URL");
    std::string_view path = url->encoded_path();
    if (path.empty())
        path = "/";
    require(reread->encoded_host() == url->encoded_host() && reread->port() == url->port() &&
                reread->encoded_path() == path && reread->encoded_query() == url->encoded_query(),
            "a target reads back as the place its URL names");
}

} // namespace velto::fuzz
