#pragma once

#include "VeltoDevice/Support/Environment.hpp"

namespace velto {

/// This process's environment, as the harness probes, the runner and the add-on passes are given it.
struct ProcessEnvironment {
    static Environment current();
};

} // namespace velto
