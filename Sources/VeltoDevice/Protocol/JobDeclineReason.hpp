#pragma once

#include <optional>
#include <string_view>

namespace velto {

/// Why the Mac turns a job offer down; written as its raw value in "job.decline".
enum class JobDeclineReason { notSupported, busy, runnerUnavailable };

/// "not-supported", "busy" or "runner-unavailable".
std::string_view rawValue(JobDeclineReason reason);

/// The reason whose raw value is exactly `raw`, if any.
std::optional<JobDeclineReason> jobDeclineReasonFromRawValue(std::string_view raw);

} // namespace velto
