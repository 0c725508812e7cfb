#pragma once

#include <string>

namespace velto {

/// A runner line turned into a session frame.
struct RunnerFrame {
    /// The complete frame text, ready to send.
    std::string text;
    /// Whether the frame is the runner's "job.finish".
    bool isFinish = false;

    friend bool operator==(const RunnerFrame&, const RunnerFrame&) = default;
};

} // namespace velto
