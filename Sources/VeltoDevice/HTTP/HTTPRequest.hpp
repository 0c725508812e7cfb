#pragma once

#include "VeltoDevice/Support/Bytes.hpp"

#include <boost/url/url.hpp>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velto {

/// One HTTP request as the transport sends it.
struct HTTPRequest {
    std::string method = "GET";
    boost::urls::url url;
    /// Header fields in the order they are sent.
    std::vector<std::pair<std::string, std::string>> headers;
    Bytes body;
    std::chrono::seconds timeout{60};

    /// Replaces a field of the same name (compared without case) or adds it.
    void setHeader(const std::string& name, std::string value);
    /// The value of a field, its name compared without case.
    std::optional<std::string> header(const std::string& name) const;
};

} // namespace velto
