#pragma once

#include <boost/url/url_view.hpp>

#include <string_view>

namespace velto {

/// Guards against URLs that Boost.URL 1.81 accepts although RFC 3986 does not, reading them as
/// another place: "https://a.test:844AA/x" as port 844 with the relative path "AA/x", and
/// "https://127.0.0.1." or "https://a.test:./8443" as a host followed by a relative path (rewriting
/// such a URL then drops the "./"). Every URL we connect to or keep passes both checks.
namespace urlShape {

/// True when the port, where one is written, is digits only, and the path after an authority is empty
/// or begins with "/".
bool hasSoundAuthority(boost::urls::url_view url);

/// True when `text` parses again as the same place as `url`: the same user information, host, port,
/// path and query.
bool readsBackAs(std::string_view text, boost::urls::url_view url);

} // namespace urlShape
} // namespace velto
