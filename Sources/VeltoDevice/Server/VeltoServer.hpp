#pragma once

#include "VeltoDevice/Support/Json.hpp"

#include <boost/url/url.hpp>
#include <boost/url/url_view.hpp>

#include <string>
#include <string_view>

namespace velto {

/// A validated Velto server address: https, or plain http to this machine only. Builds every
/// endpoint URL. Equal when the base URLs are equal.
class VeltoServer {
public:
    /// From typed text: trimmed of Unicode white space, then validated. Throws ServerError.
    static VeltoServer fromAddress(std::string_view text);
    /// From a URL. Throws ServerError::invalidAddress (no scheme, no host, user information, port 0 or
    /// one beyond 65535, a path after the authority that does not begin with "/") or
    /// ServerError::insecureAddress (not https, or http to a host other than this one).
    static VeltoServer fromBaseURL(boost::urls::url_view url);

    const boost::urls::url& baseURL() const { return baseURL_; }
    /// Host and port as shown to the user.
    std::string authority() const;
    bool isCleartext() const;

    boost::urls::url commandLineLoginURL() const;
    boost::urls::url connectURL() const;
    boost::urls::url connectSocketURL() const;
    boost::urls::url enrollURL() const;
    /// The server's page for pairing a machine: "organization/settings/devices?pair=mac".
    boost::urls::url macPairingPage() const;
    boost::urls::url nonceURL() const;
    boost::urls::url organizationPhotoURL() const;
    boost::urls::url deviceScopesURL(std::string_view deviceId) const;
    /// `scope` is the scope's raw value ("reviews", "sre-questions", …).
    boost::urls::url deviceScopeURL(std::string_view deviceId, std::string_view scope) const;

    /// {"baseURL": "<absolute URL>"}.
    Json toJson() const;
    /// Validates as `fromBaseURL`; throws ServerError, or ServerError::invalidAddress with an empty text
    /// when "baseURL" is missing or not text.
    static VeltoServer fromJson(const Json& value);

    friend bool operator==(const VeltoServer& a, const VeltoServer& b) {
        return a.baseURL_.buffer() == b.baseURL_.buffer();
    }

private:
    explicit VeltoServer(boost::urls::url baseURL) : baseURL_(std::move(baseURL)) {}
    boost::urls::url appending(std::string_view path) const;

    boost::urls::url baseURL_;
};

} // namespace velto
