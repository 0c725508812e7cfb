#pragma once

#include <boost/asio/awaitable.hpp>

#include <functional>
#include <string>

namespace velto {

/// Starts a main-thread task of the setup window that nobody awaits; `operation` names it in the one
/// log line of a failure ("confirm the enrollment").
using SetupTaskStart = std::function<void(std::string operation, boost::asio::awaitable<void> task)>;

} // namespace velto
