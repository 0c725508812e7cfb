// Runs every benchmark, then prints each registered ratio; exits with 1 when one is over its goal.
#include <benchmark/benchmark.h>

#include <iomanip>
#include <iostream>
#include <map>

#include "BenchmarkRatio.hpp"

namespace {

/// The console output, plus the CPU time per iteration of each benchmark (the median when repeated).
class RecordingReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& reports) override {
        for (const auto& run : reports) {
            if (run.error_occurred)
                continue;
            std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians_[name] = run.GetAdjustedCPUTime();
            } else if (run.run_type == Run::RT_Iteration) {
                single_[name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(reports);
    }

    const double* time(const std::string& name) const {
        if (auto it = medians_.find(name); it != medians_.end())
            return &it->second;
        if (auto it = single_.find(name); it != single_.end())
            return &it->second;
        return nullptr;
    }

private:
    std::map<std::string, double> medians_;
    std::map<std::string, double> single_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    bool withinGoals = true;
    std::cout << '\n';
    for (const auto& ratio : velto::benchmarks::BenchmarkRatio::all()) {
        const double* measured = reporter.time(ratio.measured);
        const double* baseline = reporter.time(ratio.baseline);
        if (measured == nullptr || baseline == nullptr || *baseline <= 0)
            continue; // filtered out of this run
        double value = *measured / *baseline;
        bool within = value <= ratio.goal;
        withinGoals = withinGoals && within;
        std::cout << "ratio " << ratio.measured << " / " << ratio.baseline << " = " << std::fixed
                  << std::setprecision(3) << value << " (goal at most " << std::setprecision(2) << ratio.goal
                  << ": " << (within ? "met" : "MISSED") << ")" << std::endl;
    }
    return withinGoals ? 0 : 1;
}
