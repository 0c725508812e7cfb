// Turning a runner line into its session frame against a bare parse and dump of the same line.
#include "VeltoDevice/Protocol/RunnerFrames.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

#include "BenchmarkRatio.hpp"

namespace velto {
namespace {

constexpr std::size_t kLineSize = 1024;
constexpr const char* kJobId = "job_01J9ZK4Q7M3X8T2V6B5N0RWQY";

/// A job event as the runner prints it: nested objects, an array, numbers, slashes and escapes,
/// with its message padded to 1 KiB in all.
std::string runnerLine() {
    std::string head = R"({"v":1,"type":"job.event","jobId":"job_stale","event":{"kind":"tool.progress",)"
                       R"("seq":128,"elapsed":12.75,"files":["src/app/main.cpp","src/app/session.cpp",)"
                       R"("docs/guide/setup.md"],"usage":{"inputTokens":18233,"outputTokens":911,)"
                       R"("cached":true},"link":"https://review.example/acme/api/pull/42",)"
                       R"("text":"Reading \"session.cpp\"\n)";
    std::string tail = R"("}})";
    std::string line = head;
    const std::string words = "the session answers every frame in arrival order; ";
    while (line.size() + tail.size() < kLineSize)
        line += words[(line.size() - head.size()) % words.size()];
    line += tail;
    if (line.size() != kLineSize || !RunnerFrames::socketFrame(line, kJobId))
        throw std::logic_error("the benchmark line is not a 1 KiB forwarded runner line");
    return line;
}

void socketFrame(benchmark::State& state) {
    const std::string line = runnerLine();
    for (auto _ : state) {
        benchmark::DoNotOptimize(RunnerFrames::socketFrame(line, kJobId));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}

void bareParseAndDump(benchmark::State& state) {
    const std::string line = runnerLine();
    for (auto _ : state) {
        benchmark::DoNotOptimize(Json::parse(line).dump());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}

BENCHMARK(socketFrame)->Name("RunnerFrames/socketFrame");
BENCHMARK(bareParseAndDump)->Name("RunnerFrames/bareParseAndDump");

[[maybe_unused]] const bool registered =
    benchmarks::BenchmarkRatio::add("RunnerFrames/socketFrame", "RunnerFrames/bareParseAndDump", 1.2);

} // namespace
} // namespace velto
