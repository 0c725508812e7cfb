#include "VeltoDevice/Runner/RunnerGenerationCommand.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CapturingLogSink.hpp"

namespace velto {
namespace {

TEST(RunnerGenerationCommand, ReadsTheGenerationFromASuccessfulAnswer) {
    struct Case {
        ProcessOutput output;
        std::optional<int> generation;
        std::vector<std::string> log;
    };
    const std::vector<Case> cases = {
        {{0, R"({"generation": 2})", ""}, 2, {}},
        {{0, "{\"generation\": 3, \"other\": true}\n", "warming up\n"}, 3, {}},
        {{0, R"({"generation": 0})", ""}, std::nullopt, {}},
        {{0, R"({"generation": -3})", ""}, std::nullopt, {}},
        {{0, R"({"generation": "2"})", ""}, std::nullopt, {}},
        {{0, R"({"generation": 2.5})", ""}, std::nullopt, {}},
        {{0, R"({"generation": 99999999999})", ""}, std::nullopt, {}},
        {{0, R"({"other": 2})", ""}, std::nullopt, {}},
        {{0, "progress\n{\"generation\": 2}", ""}, std::nullopt, {}},
        {{0, "", ""}, std::nullopt, {}},
        {{1, R"({"generation": 2})", ""}, std::nullopt, {"the runner does not say its generation (exit 1)"}},
        {{15, "", ""}, std::nullopt, {"the runner does not say its generation (exit 15)"}},
    };
    for (const auto& c : cases) {
        auto sink = testing::CapturingLogSink::install();
        EXPECT_EQ(RunnerGenerationCommand::generation(c.output), c.generation) << c.output.standardOutput;
        EXPECT_EQ(sink->messages("runner"), c.log) << c.output.standardOutput;
    }
}

} // namespace
} // namespace velto
