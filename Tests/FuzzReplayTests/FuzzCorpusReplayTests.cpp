#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "Targets/FuzzTarget.hpp"

namespace velto::fuzz {
namespace {

const std::filesystem::path corpora = VELTO_FUZZ_CORPORA;

std::vector<std::filesystem::path> inputsOf(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

std::string contentOf(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

TEST(FuzzCorpora, EveryTargetHasSeedsAndEveryCorpusATarget) {
    std::set<std::string> targets;
    for (const auto& target : fuzzTargets()) {
        targets.emplace(target.name);
        EXPECT_FALSE(inputsOf(corpora / target.name).empty()) << target.name;
    }
    for (const auto& entry : std::filesystem::directory_iterator(corpora))
        EXPECT_TRUE(targets.contains(entry.path().filename().string())) << entry.path();
}

class FuzzCorpusReplay : public ::testing::TestWithParam<FuzzTarget> {};

// Every seed and every input a fuzzer found, run as the fuzzer runs it: a property that does not
// hold or an error that escapes fails the test with the file's name.
TEST_P(FuzzCorpusReplay, EveryInputPasses) {
    const FuzzTarget& target = GetParam();
    for (const auto& file : inputsOf(corpora / target.name)) {
        SCOPED_TRACE(file.filename().string());
        try {
            target.run(contentOf(file));
        } catch (const std::exception& error) {
            ADD_FAILURE() << file << ": " << error.what();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpusReplay,
                         ::testing::ValuesIn(fuzzTargets().begin(), fuzzTargets().end()),
                         [](const auto& parameter) {
                             std::string name(parameter.param.name);
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
} // namespace velto::fuzz
