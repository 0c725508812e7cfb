#pragma once

#include <boost/url/url.hpp>

namespace velto {

/// Opens a web page in the user's browser.
class UrlOpening {
public:
    virtual ~UrlOpening() = default;
    /// Whether the page was handed to the browser.
    virtual bool open(const boost::urls::url& url) = 0;
};

} // namespace velto
