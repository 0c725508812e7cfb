#pragma once

#include <boost/url/url.hpp>

#include <cstddef>
#include <limits>
#include <optional>
#include <string_view>

namespace velto {

/// How a fetch follows redirects: only 301, 302, 303, 307 and 308, at most `maximumRedirects` of them,
/// each Location resolved against the address that answered it. One policy per fetch, as it counts;
/// the caller checks every address it is led to as it checked the first (the scheme above all).
class RedirectPolicy {
public:
    explicit RedirectPolicy(int maximumRedirects,
                            std::size_t maximumLocationLength = std::numeric_limits<std::size_t>::max());

    static bool isRedirect(int status);

    /// The address a redirect from `from` leads to, counted against the maximum. Nothing when the
    /// maximum has been followed already, or when the location is missing, empty, longer than the
    /// limit or no URI reference.
    std::optional<boost::urls::url> follow(const boost::urls::url& from,
                                           std::optional<std::string_view> location);

private:
    int remaining_;
    std::size_t maximumLocationLength_;
};

} // namespace velto
