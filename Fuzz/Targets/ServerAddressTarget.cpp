#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"

#include <boost/url/parse.hpp>

#include <optional>
#include <string>

#include "Targets/PropertyViolation.hpp"
#include "Targets/Targets.hpp"

namespace velto::fuzz {

namespace {

bool samePlace(boost::urls::url_view a, boost::urls::url_view b) {
    return a.encoded_host() == b.encoded_host() && a.has_port() == b.has_port() && a.port() == b.port() &&
           !a.has_userinfo() && !b.has_userinfo();
}

/// The endpoint is the base with `tail` appended to its path, and reads back as itself.
void checkEndpoint(const VeltoServer& server, const boost::urls::url& endpoint, const std::string& tail) {
    const auto& base = server.baseURL();
    std::string path(base.encoded_path());
    if (!path.empty() && path.back() == '/')
        path.pop_back();
    require(endpoint.scheme() == base.scheme() && samePlace(endpoint, base), "an endpoint is on its server");
    require(endpoint.encoded_path() == path + "/" + tail, "every endpoint URL extends its base");
    require(endpoint.has_query() == base.has_query() && endpoint.encoded_query() == base.encoded_query() &&
                endpoint.has_fragment() == base.has_fragment() &&
                endpoint.encoded_fragment() == base.encoded_fragment(),
            "an endpoint keeps the base's query and fragment");
    auto reread = boost::urls::parse_uri_reference(endpoint.buffer());
    require(reread && samePlace(*reread, endpoint) && reread->encoded_path() == endpoint.encoded_path(),
            "an endpoint reads back as itself");
}

} // namespace

void runServerAddress(std::string_view input) {
    std::optional<VeltoServer> server;
    try {
        server = VeltoServer::fromAddress(input);
    } catch (const ServerError& error) {
        require(error.kind() == ServerError::Case::invalidAddress ||
                    error.kind() == ServerError::Case::insecureAddress,
                "an address fails only as invalid or insecure");
        return;
    }
    const auto& base = server->baseURL();
    require(base.scheme() == "https" || (base.scheme() == "http" && server->isCleartext()),
            "a server is https, or http to this machine");

    auto reread = boost::urls::parse_uri_reference(base.buffer());
    require(reread && samePlace(*reread, base) && reread->encoded_path() == base.encoded_path(),
            "the stored text reads back as the same host, port and path");
    require(VeltoServer::fromBaseURL(*reread) == *server, "the stored address validates as itself");
    require(VeltoServer::fromJson(server->toJson()) == *server, "the saved form reads back as the server");
    (void)server->authority();

    checkEndpoint(*server, server->nonceURL(), "api/devices/nonce");
    checkEndpoint(*server, server->enrollURL(), "api/devices/enroll");
    checkEndpoint(*server, server->connectURL(), "api/devices/connect");
    checkEndpoint(*server, server->commandLineLoginURL(), "api/devices/session");
    checkEndpoint(*server, server->organizationPhotoURL(), "api/devices/organization-photo");
    checkEndpoint(*server, server->deviceScopesURL("dev/1"), "api/devices/dev%2F1/scopes");
    checkEndpoint(*server, server->deviceScopeURL("..", "reviews"), "api/devices/%2E%2E/scopes/reviews");

    auto socket = server->connectSocketURL();
    auto connect = server->connectURL();
    require(socket.scheme() == (base.scheme() == "https" ? "wss" : "ws") && samePlace(socket, connect) &&
                socket.encoded_path() == connect.encoded_path(),
            "the socket URL is the connect URL with its scheme swapped");
}

} // namespace velto::fuzz
