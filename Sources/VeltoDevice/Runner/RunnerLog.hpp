#pragma once

#include "VeltoDevice/Support/Log.hpp"

namespace velto {

/// The log of the runner script's commands and jobs: the category "runner".
const Logger& runnerLog();

} // namespace velto
