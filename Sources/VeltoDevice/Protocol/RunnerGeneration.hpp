#pragma once

namespace velto {

/// Generations of the runner script; the hello reports the one in use.
struct RunnerGeneration {
    RunnerGeneration() = delete;

    /// The lowest generation, announced while no other is known.
    static constexpr int first = 1;
};

} // namespace velto
