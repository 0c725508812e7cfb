#include "VeltoDevice/Harness/HarnessError.hpp"

namespace velto {

namespace {

std::string sentence(HarnessError::Case kind, const std::string& name) {
    switch (kind) {
    case HarnessError::Case::launchFailed:
        return name + " could not be started.";
    case HarnessError::Case::timedOut:
        return name + " did not answer in time.";
    }
    return {};
}

} // namespace

HarnessError::HarnessError(Case kind, std::string name)
    : Error(sentence(kind, name)), kind_(kind), name_(std::move(name)) {}

HarnessError HarnessError::launchFailed(std::string name) {
    return {Case::launchFailed, std::move(name)};
}

HarnessError HarnessError::timedOut(std::string name) {
    return {Case::timedOut, std::move(name)};
}

} // namespace velto
