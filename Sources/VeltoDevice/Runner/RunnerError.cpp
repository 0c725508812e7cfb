#include "VeltoDevice/Runner/RunnerError.hpp"

#include <string>

namespace velto {

namespace {

std::string sentence(RunnerError::Case kind) {
    switch (kind) {
    case RunnerError::Case::unavailable:
        return "Velto's runner or Node.js is missing on this computer.";
    case RunnerError::Case::launchFailed:
        return "The runner on this computer could not start.";
    }
    return {};
}

} // namespace

RunnerError::RunnerError(Case kind) : Error(sentence(kind)), kind_(kind) {}

RunnerError RunnerError::unavailable() {
    return RunnerError(Case::unavailable);
}

RunnerError RunnerError::launchFailed() {
    return RunnerError(Case::launchFailed);
}

} // namespace velto
