#include "VeltoDevice/Support/RedirectPolicy.hpp"

#include <boost/url/parse.hpp>

namespace velto {

RedirectPolicy::RedirectPolicy(int maximumRedirects, std::size_t maximumLocationLength)
    : remaining_(maximumRedirects), maximumLocationLength_(maximumLocationLength) {}

bool RedirectPolicy::isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::optional<boost::urls::url> RedirectPolicy::follow(const boost::urls::url& from,
                                                       std::optional<std::string_view> location) {
    if (remaining_ <= 0 || !location || location->empty() || location->size() > maximumLocationLength_)
        return std::nullopt;
    auto reference = boost::urls::parse_uri_reference(*location);
    if (!reference)
        return std::nullopt;
    boost::urls::url next;
    if (!boost::urls::resolve(from, *reference, next))
        return std::nullopt;
    --remaining_;
    return next;
}

} // namespace velto
