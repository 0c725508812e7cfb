#pragma once

#include <boost/url/url.hpp>

#include <functional>

namespace velto {

/// Opens a web page in the user's browser.
class UrlOpening {
public:
    /// Told once, on the main thread, whether the browser took the page.
    using Outcome = std::function<void(bool opened)>;

    virtual ~UrlOpening() = default;
    /// Hands the page to the browser. `outcome` (when set) hears the answer once, possibly before
    /// this returns, and not at all when the opener is destroyed first.
    virtual void open(const boost::urls::url& url, Outcome outcome) = 0;
    /// Hands the page over without waiting to hear whether it was taken.
    void open(const boost::urls::url& url) { open(url, {}); }
};

} // namespace velto
