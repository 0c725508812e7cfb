#pragma once

#include "VeltoDevice/Support/Log.hpp"

namespace velto {

/// The application model's log channel: category "app" of the system log.
const Logger& appLog();

} // namespace velto
