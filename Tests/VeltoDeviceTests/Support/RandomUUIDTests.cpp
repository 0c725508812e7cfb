#include "VeltoDevice/Support/RandomUUID.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

namespace velto {
namespace {

void expectUpperCaseVersion4(const std::string& id) {
    ASSERT_EQ(id.size(), 36u);
    for (std::size_t at = 0; at < id.size(); ++at) {
        if (at == 8 || at == 13 || at == 18 || at == 23) {
            EXPECT_EQ(id[at], '-') << id;
        } else {
            EXPECT_TRUE((id[at] >= '0' && id[at] <= '9') || (id[at] >= 'A' && id[at] <= 'F')) << id;
        }
    }
    EXPECT_EQ(id[14], '4') << id;
    EXPECT_NE(std::string("89AB").find(id[19]), std::string::npos) << id;
}

TEST(RandomUUID, IsAnUpperCaseVersion4UUIDNeverRepeatedAcrossBatches) {
    std::set<std::string> seen;
    // Several batches of drawn bytes.
    for (int i = 0; i < 200; ++i) {
        auto id = randomUUID();
        expectUpperCaseVersion4(id);
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 200u);
}

TEST(RandomUUID, ThreadsDrawingAtOnceGetDistinctIds) {
    constexpr int threads = 4;
    constexpr int each = 150;
    std::vector<std::vector<std::string>> drawn(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&drawn, t] {
            for (int i = 0; i < each; ++i)
                drawn[static_cast<std::size_t>(t)].push_back(randomUUID());
        });
    }
    for (auto& worker : workers)
        worker.join();
    std::set<std::string> seen;
    for (const auto& ids : drawn)
        seen.insert(ids.begin(), ids.end());
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(threads * each));
}

} // namespace
} // namespace velto
