#include "VeltoDevice/Server/URLShape.hpp"

#include <boost/url/parse.hpp>

#include <algorithm>

namespace velto::urlShape {

bool hasSoundAuthority(boost::urls::url_view url) {
    if (url.has_port()) {
        std::string_view port = url.port();
        if (!std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
    }
    std::string_view path = url.encoded_path();
    return !url.has_authority() || path.empty() || path.front() == '/';
}

bool readsBackAs(std::string_view text, boost::urls::url_view url) {
    auto reread = boost::urls::parse_uri_reference(text);
    return reread && reread->has_userinfo() == url.has_userinfo() &&
           reread->encoded_userinfo() == url.encoded_userinfo() &&
           reread->has_authority() == url.has_authority() && reread->encoded_host() == url.encoded_host() &&
           reread->has_port() == url.has_port() && reread->port() == url.port() &&
           reread->encoded_path() == url.encoded_path() && reread->has_query() == url.has_query() &&
           reread->encoded_query() == url.encoded_query();
}

} // namespace velto::urlShape
