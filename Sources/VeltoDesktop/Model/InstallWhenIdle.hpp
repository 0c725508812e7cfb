#pragma once

#include "VeltoDesktop/Model/JobRunnerControl.hpp"
#include "VeltoDevice/Support/NewestStream.hpp"

#include <boost/asio/awaitable.hpp>

#include <functional>

namespace velto {

/// On the device io_context, until the runner's idle events finish: each event lets `install` put in
/// what is staged. An install that fails is logged (category "update") and the next event tries again,
/// so one failure never stops later updates.
boost::asio::awaitable<void> installWhenIdle(NewestStream<JobRunnerControl::Event>::Reader idleEvents,
                                             std::function<boost::asio::awaitable<void>()> install);

} // namespace velto
