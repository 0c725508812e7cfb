#include "VeltoDevice/Connection/Backoff.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace velto {
namespace {

TEST(BackoffTest, TheCeilingDoublesPerAttemptUpToTheCap) {
    const Backoff standard = Backoff::standard();
    EXPECT_EQ(standard, (Backoff{1000, 60000}));
    struct Row {
        int attempt;
        std::int64_t ceiling;
    };
    for (const Row& row : std::vector<Row>{
             {-3, 1000}, {0, 1000}, {1, 2000}, {5, 32000}, {6, 60000}, {20, 60000}, {1000, 60000}}) {
        SCOPED_TRACE(row.attempt);
        EXPECT_EQ(standard.ceilingMilliseconds(row.attempt), row.ceiling);
    }
    // The attempt stops counting at 20, and a product past 64 bits is the cap.
    EXPECT_EQ((Backoff{1, std::numeric_limits<std::int64_t>::max()}).ceilingMilliseconds(40), 1 << 20);
    EXPECT_EQ(
        (Backoff{std::int64_t{1} << 50, std::numeric_limits<std::int64_t>::max()}).ceilingMilliseconds(20),
        std::numeric_limits<std::int64_t>::max());
}

TEST(BackoffTest, HalfTheCeilingIsFixedAndTheJitterRoundsHalvesAwayFromZero) {
    struct Row {
        Backoff backoff;
        int attempt;
        double jitter;
        std::int64_t delay;
    };
    const Backoff standard = Backoff::standard();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Row> rows = {
        {standard, 0, 0.0, 500},
        {standard, 0, 1.0, 1000},
        {standard, 0, 0.5, 750},
        {standard, 6, 0.0, 30000},
        {standard, 6, 1.0, 60000},
        // Out of range and NaN jitters are clamped.
        {standard, 0, -2.0, 500},
        {standard, 0, 7.0, 1000},
        {standard, 0, nan, 500},
        // An odd ceiling: half is 500 by integer division, the random part 501 wide.
        {Backoff{1001, 60000}, 0, 1.0, 1001},
        // 0.25 × 2 = 0.5 and 0.625 × 4 = 2.5 round away from zero (to even would give 0 and 2).
        {Backoff{2, 100}, 1, 0.25, 3},
        {Backoff{8, 100}, 0, 0.625, 7},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.backoff.baseMilliseconds << " attempt " << row.attempt
                                          << " jitter " << row.jitter);
        EXPECT_EQ(row.backoff.delayMilliseconds(row.attempt, row.jitter), row.delay);
    }
}

TEST(BackoffTest, RandomDelaysStayInTheirAttemptsRanges) {
    const Backoff standard = Backoff::standard();
    struct Row {
        int attempt;
        std::int64_t low;
        std::int64_t high;
    };
    const std::vector<Row> rows = {{0, 500, 1000},    {1, 1000, 2000},   {2, 2000, 4000},
                                   {5, 16000, 32000}, {6, 30000, 60000}, {12, 30000, 60000}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.attempt);
        for (int draw = 0; draw < 200; ++draw) {
            auto delay = standard.delayMilliseconds(row.attempt);
            EXPECT_GE(delay, row.low);
            EXPECT_LE(delay, row.high);
        }
    }
    for (int draw = 0; draw < 1000; ++draw) {
        double jitter = Backoff::randomJitter();
        ASSERT_GE(jitter, 0.0);
        ASSERT_LT(jitter, 1.0);
    }
}

} // namespace
} // namespace velto
