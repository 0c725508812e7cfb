#pragma once

#include "VeltoDevice/Support/Environment.hpp"

#include <boost/asio/awaitable.hpp>

#include <string>

namespace velto {

/// Tells the PATH that the user's login shell sets up.
class LoginPathResolving {
public:
    virtual ~LoginPathResolving() = default;

    /// The PATH for `environment` (the application's own); there is always an answer.
    virtual boost::asio::awaitable<std::string> resolve(Environment environment) = 0;
};

} // namespace velto
