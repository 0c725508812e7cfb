#pragma once

#include <string>
#include <vector>

namespace velto::benchmarks {

/// The CPU time of one benchmark over another's, with the most it may be.
struct BenchmarkRatio {
    std::string measured;
    std::string baseline;
    double goal = 0;

    /// Every ratio registered so far, printed after the runs.
    static std::vector<BenchmarkRatio>& all();
    /// Registers a ratio; returns true so that it can initialise a namespace-scope constant.
    static bool add(std::string measured, std::string baseline, double goal);
};

} // namespace velto::benchmarks
