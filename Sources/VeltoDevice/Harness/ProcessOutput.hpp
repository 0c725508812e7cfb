#pragma once

#include <cstdint>
#include <string>

namespace velto {

/// What a finished command left: its status and both outputs as text, every invalid UTF-8 sequence
/// replaced by U+FFFD.
struct ProcessOutput {
    /// The exit status, or the number of the signal that ended the command (SIGTERM gives 15).
    std::int32_t exitCode = 0;
    std::string standardOutput;
    std::string standardError;

    /// The standard output, one line feed, then the standard error: where a tool may answer on
    /// either stream.
    std::string combined() const { return standardOutput + "\n" + standardError; }

    friend bool operator==(const ProcessOutput&, const ProcessOutput&) = default;
};

} // namespace velto
