#include "VeltoDevice/Protocol/JobDeclineReason.hpp"

namespace velto {

std::string_view rawValue(JobDeclineReason reason) {
    switch (reason) {
    case JobDeclineReason::notSupported:
        return "not-supported";
    case JobDeclineReason::busy:
        return "busy";
    case JobDeclineReason::runnerUnavailable:
        return "runner-unavailable";
    }
    return {};
}

std::optional<JobDeclineReason> jobDeclineReasonFromRawValue(std::string_view raw) {
    for (JobDeclineReason reason :
         {JobDeclineReason::notSupported, JobDeclineReason::busy, JobDeclineReason::runnerUnavailable}) {
        if (rawValue(reason) == raw)
            return reason;
    }
    return std::nullopt;
}

} // namespace velto
