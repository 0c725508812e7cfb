#include "BenchmarkRatio.hpp"

namespace velto::benchmarks {

std::vector<BenchmarkRatio>& BenchmarkRatio::all() {
    static std::vector<BenchmarkRatio> ratios;
    return ratios;
}

bool BenchmarkRatio::add(std::string measured, std::string baseline, double goal) {
    all().push_back({std::move(measured), std::move(baseline), goal});
    return true;
}

} // namespace velto::benchmarks
