#include "VeltoDevice/Runner/ModelCatalogCache.hpp"

#include <boost/asio/cancellation_signal.hpp>
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "ManualClock.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using testing::AsyncTestLoop;
using testing::ManualClock;

ModelCatalog catalogOf(const std::string& id) {
    return ModelCatalog{{{HarnessKind::codex, {{id, id, {ModelEffort::low}, std::nullopt}}}}};
}

std::vector<HarnessReport> signIns(bool claude, bool codex) {
    return {{HarnessKind::claudeCode, "2.1.3", claude, std::nullopt},
            {HarnessKind::codex, "0.46.0", codex, std::nullopt}};
}

class ModelCatalogCacheTest : public ::testing::Test {
protected:
    AsyncTestLoop loop;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    /// Each query takes one second on the queries' own clock and answers the next scripted value.
    std::shared_ptr<ManualClock> queryClock = std::make_shared<ManualClock>();
    std::deque<std::optional<ModelCatalog>> answers;
    int queries = 0;
    ModelCatalogCache cache{loop.executor(), clock,
                            [this]() -> boost::asio::awaitable<std::optional<ModelCatalog>> {
                                ++queries;
                                co_await queryClock->sleep(1s);
                                auto answer = answers.front();
                                answers.pop_front();
                                co_return answer;
                            }};

    ModelCatalogCache::Refresh refreshed(std::vector<HarnessReport> reports) {
        auto refresh = loop.spawn(cache.refresh(std::move(reports)));
        loop.drain();
        queryClock->advance(1s);
        loop.drain();
        return refresh->get();
    }
};

TEST_F(ModelCatalogCacheTest, QueriesOnlyWhenDue) {
    struct Step {
        std::string what;
        std::chrono::seconds after;
        std::vector<HarnessReport> reports;
        std::optional<ModelCatalog> answer; // when a query runs
        ModelCatalogCache::Refresh expected;
        int queries;
        std::optional<ModelCatalog> catalog;
    };
    using enum ModelCatalogCache::Refresh;
    const std::vector<Step> steps = {
        {"the first refresh queries", 0s, signIns(false, true), catalogOf("a"), changed, 1, catalogOf("a")},
        {"ten minutes later, same sign-ins", 600s, signIns(false, true), std::nullopt, unchanged, 1,
         catalogOf("a")},
        {"an hour after the last query", 3000s, signIns(false, true), catalogOf("a"), unchanged, 2,
         catalogOf("a")},
        {"a sign-in changes", 1s, signIns(true, true), catalogOf("b"), changed, 3, catalogOf("b")},
        {"a failed query keeps the catalog", 3600s, signIns(true, true), std::nullopt, unchanged, 4,
         catalogOf("b")},
        {"and counts as a run", 60s, signIns(true, true), std::nullopt, unchanged, 4, catalogOf("b")},
        {"all signed out: nothing runs, the catalog stays", 1s, signIns(false, false), std::nullopt,
         unchanged, 4, catalogOf("b")},
        {"the next sign-in queries at once", 1s, signIns(true, true), catalogOf("c"), changed, 5,
         catalogOf("c")},
        {"no reports at all", 1s, {}, std::nullopt, unchanged, 5, catalogOf("c")},
    };
    for (const auto& step : steps) {
        clock->advance(step.after);
        answers = {step.answer};
        EXPECT_EQ(refreshed(step.reports), step.expected) << step.what;
        EXPECT_EQ(queries, step.queries) << step.what;
        EXPECT_EQ(cache.catalog(), step.catalog) << step.what;
    }
}

TEST_F(ModelCatalogCacheTest, RefreshesDuringAQueryJoinIt) {
    answers = {catalogOf("a")};
    auto first = loop.spawn(cache.refresh(signIns(false, true)));
    loop.drain();
    EXPECT_TRUE(cache.isFetching());
    auto second = loop.spawn(cache.refresh(signIns(true, true)));
    loop.drain();
    EXPECT_FALSE(second->done);
    queryClock->advance(1s);
    loop.drain();
    EXPECT_EQ(first->get(), ModelCatalogCache::Refresh::changed);
    EXPECT_EQ(second->get(), ModelCatalogCache::Refresh::joined);
    EXPECT_EQ(queries, 1);
    EXPECT_FALSE(cache.isFetching());
}

TEST_F(ModelCatalogCacheTest, ACancelledCallerLeavesTheQueryToStoreItsCatalog) {
    answers = {catalogOf("a")};
    boost::asio::cancellation_signal signal;
    auto refresh = loop.spawn(cache.refresh(signIns(false, true)), signal.slot());
    loop.drain();
    signal.emit(boost::asio::cancellation_type::terminal);
    loop.drain();
    EXPECT_TRUE(refresh->done);
    EXPECT_TRUE(cache.isFetching());
    queryClock->advance(1s);
    loop.drain();
    EXPECT_FALSE(cache.isFetching());
    EXPECT_EQ(cache.catalog(), catalogOf("a"));
}

} // namespace
} // namespace velto
