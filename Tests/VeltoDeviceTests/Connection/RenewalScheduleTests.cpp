#include "VeltoDevice/Connection/RenewalSchedule.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"

#include <boost/asio/error.hpp>
#include <boost/system/system_error.hpp>
#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "CapturingLogSink.hpp"
#include "ManualClock.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using testing::AsyncTestLoop;
using testing::CapturingLogSink;
using testing::ManualClock;

/// A schedule on a manual clock whose proof sends are recorded with the time they went out.
class RenewalScheduleTest : public ::testing::Test {
protected:
    enum class Sending { succeed, fail, hang };

    struct Proof {
        std::string nonce;
        Clock::Duration at;
        friend bool operator==(const Proof&, const Proof&) = default;
        friend void PrintTo(const Proof& proof, std::ostream* out) {
            *out << proof.nonce << " at "
                 << std::chrono::duration_cast<std::chrono::microseconds>(proof.at).count() << " us";
        }
    };

    void SetUp() override {
        logs = CapturingLogSink::install();
        schedule = RenewalSchedule::make(loop.executor(), clock,
                                         [this](std::string nonce) { return sendProof(std::move(nonce)); });
    }

    void TearDown() override {
        schedule->end();
        loop.drain();
    }

    boost::asio::awaitable<void> sendProof(std::string nonce) {
        proofs.push_back({nonce, elapsed()});
        switch (sending) {
        case Sending::succeed:
            break;
        case Sending::fail:
            throw std::runtime_error("could not sign " + nonce);
        case Sending::hang: {
            auto hang = hangs.empty() ? Clock::Duration(24h) : hangs.front();
            if (!hangs.empty())
                hangs.erase(hangs.begin());
            co_await hangClock.sleep(hang);
            break;
        }
        }
    }

    Clock::Duration elapsed() const { return clock->now().time_since_epoch(); }

    /// Moves the clock to `at` in one step, running everything that becomes ready; every deadline
    /// passed on the way fires at `at`.
    void jumpTo(Clock::Duration at) {
        loop.drain();
        clock->advance(at - elapsed());
        loop.drain();
    }

    /// Moves the clock to `at` in steps of a quarter second, so deadlines on that grid fire on time.
    void advanceTo(Clock::Duration at) {
        while (elapsed() < at)
            jumpTo(std::min<Clock::Duration>(at, elapsed() + 250ms));
        loop.drain();
    }

    /// Starts reading the first failure.
    void readFailure() { failure = loop.spawn(schedule->failures().next()); }

    std::vector<std::string> renewalLogs() const { return logs->messages("renewal"); }

    AsyncTestLoop loop;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    ManualClock hangClock;
    std::shared_ptr<CapturingLogSink> logs;
    std::shared_ptr<RenewalSchedule> schedule;
    Sending sending = Sending::succeed;
    /// How long each hanging send takes on `hangClock`, in order; a day once these are used.
    std::vector<Clock::Duration> hangs;
    std::vector<Proof> proofs;
    std::shared_ptr<testing::Spawned<std::optional<std::exception_ptr>>> failure;
};

/// The text of the error in a failure read; empty when the stream ended.
std::string messageOf(const std::optional<std::exception_ptr>& read) {
    if (!read)
        return {};
    try {
        std::rethrow_exception(*read);
    } catch (const std::exception& error) {
        return error.what();
    }
}

bool isRenewalUnanswered(const std::optional<std::exception_ptr>& read) {
    if (!read)
        return false;
    try {
        std::rethrow_exception(*read);
    } catch (const ConnectionError& error) {
        return error == ConnectionError::renewalUnanswered() &&
               std::string(error.what()) == "Velto stopped answering this computer's renewals.";
    } catch (...) {
        return false;
    }
}

TEST_F(RenewalScheduleTest, ProvesAtHalfTheWindowAndFailsAtOneAndAHalf) {
    struct Case {
        std::int64_t renewWithinMs;
        Clock::Duration proofAt;
        Clock::Duration failureAt;
    };
    const std::vector<Case> cases = {
        {60000, 30s, 90s},
        {0, 500ms, 1500ms},
        {-5, 500ms, 1500ms},
        {999, 500ms, 1500ms},
        {1001, 500500us, 1501500us},
        // Longer than any duration can hold: clamped to a day.
        {std::numeric_limits<std::int64_t>::max(), 12h, 36h},
        {std::numeric_limits<std::int64_t>::min(), 500ms, 1500ms},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.renewWithinMs);
        TearDown();
        SetUp();
        proofs.clear();
        auto started = elapsed();
        schedule->start("n1", c.renewWithinMs);
        readFailure();

        jumpTo(started + c.proofAt - 1us);
        EXPECT_TRUE(proofs.empty());
        jumpTo(started + c.proofAt);
        EXPECT_EQ(proofs, (std::vector<Proof>{{"n1", started + c.proofAt}}));

        jumpTo(started + c.failureAt - 1us);
        EXPECT_FALSE(failure->done);
        jumpTo(started + c.failureAt);
        ASSERT_TRUE(failure->done);
        EXPECT_TRUE(isRenewalUnanswered(failure->get()));
    }
}

TEST_F(RenewalScheduleTest, ANewNonceRestartsTheCycleFromItsArrival) {
    schedule->start("n1", 60000);
    readFailure();
    advanceTo(40s);
    schedule->renewed({"n2", 60000});
    advanceTo(90s);
    EXPECT_FALSE(failure->done);
    EXPECT_EQ(proofs, (std::vector<Proof>{{"n1", 30s}, {"n2", 70s}}));
    advanceTo(130s - 1us);
    EXPECT_FALSE(failure->done);
    advanceTo(130s);
    ASSERT_TRUE(failure->done);
    EXPECT_TRUE(isRenewalUnanswered(failure->get()));
}

TEST_F(RenewalScheduleTest, ARepeatedNonceChangesNothing) {
    schedule->start("n1", 60000);
    readFailure();
    advanceTo(40s);
    schedule->renewed({"n1", 1000});
    advanceTo(90s - 1us);
    EXPECT_FALSE(failure->done);
    advanceTo(90s);
    ASSERT_TRUE(failure->done);
    EXPECT_TRUE(isRenewalUnanswered(failure->get()));
    EXPECT_EQ(proofs, (std::vector<Proof>{{"n1", 30s}}));
}

TEST_F(RenewalScheduleTest, ANonceReplacedBeforeHalfTheWindowIsNeverProved) {
    schedule->start("n1", 60000);
    advanceTo(10s);
    schedule->renewed({"n2", 2000});
    advanceTo(60s);
    EXPECT_EQ(proofs, (std::vector<Proof>{{"n2", 11s}}));
}

TEST_F(RenewalScheduleTest, ANonceSupersededJustAsItsHalfWindowEndsIsNeverProved) {
    schedule->start("n1", 60000);
    loop.drain();
    // The wait has run out, but the cycle has not yet resumed when the new nonce comes.
    clock->advance(30s);
    schedule->renewed({"n2", 60000});
    loop.drain();
    EXPECT_TRUE(proofs.empty());
    advanceTo(60s);
    EXPECT_EQ(proofs, (std::vector<Proof>{{"n2", 60s}}));
}

TEST_F(RenewalScheduleTest, OnlyTheFirstStartTakesEffect) {
    schedule->start("n1", 60000);
    advanceTo(5s);
    schedule->start("n2", 1000);
    advanceTo(31s);
    EXPECT_EQ(proofs, (std::vector<Proof>{{"n1", 30s}}));
}

TEST_F(RenewalScheduleTest, ARenewalBeforeTheWelcomeHoldsTheNonce) {
    schedule->renewed({"r1", 4000});
    schedule->start("welcome", 60000);
    advanceTo(30s);
    EXPECT_EQ(proofs, (std::vector<Proof>{{"r1", 2s}}));
}

TEST_F(RenewalScheduleTest, AProofInFlightOutlivesANewNonce) {
    sending = Sending::hang;
    schedule->start("n1", 1000);
    advanceTo(500ms);
    schedule->renewed({"n2", 60000});
    loop.drain();
    hangClock.advance(24h);
    loop.drain();
    EXPECT_EQ(renewalLogs(), std::vector<std::string>{"sent a renewal proof"});
}

TEST_F(RenewalScheduleTest, AFinishedSendRemovesOnlyItsOwnEntry) {
    // Two sends for the same nonce in flight at once: the first finishes, the second must still be
    // given up when the schedule ends.
    sending = Sending::hang;
    hangs = {1h, 24h};
    schedule->start("n1", 1000);
    advanceTo(500ms);
    schedule->renewed({"n2", 1000});
    advanceTo(600ms);
    schedule->renewed({"n1", 1000});
    advanceTo(1100ms);
    ASSERT_EQ(proofs, (std::vector<Proof>{{"n1", 500ms}, {"n1", 1100ms}}));
    ASSERT_EQ(hangClock.sleeperCount(), 2u);

    hangClock.advance(1h);
    loop.drain();
    EXPECT_EQ(renewalLogs(), std::vector<std::string>{"sent a renewal proof"});
    schedule->end();
    loop.drain();
    EXPECT_EQ(hangClock.sleeperCount(), 0u);
    EXPECT_EQ(renewalLogs(), (std::vector<std::string>{"sent a renewal proof",
                                                       "gave up a renewal proof as the session ended"}));
}

TEST_F(RenewalScheduleTest, AFailedSendIsTheFailure) {
    sending = Sending::fail;
    schedule->start("n1", 1000);
    advanceTo(500ms);
    // Nobody reads yet: the later renewalUnanswered is dropped and the send error stays.
    advanceTo(1500ms);
    readFailure();
    loop.drain();
    ASSERT_TRUE(failure->done);
    EXPECT_EQ(messageOf(failure->get()), "could not sign n1");
    EXPECT_EQ(schedule->failures().bufferedCount(), 0u);
}

TEST_F(RenewalScheduleTest, EndStopsEverythingAndGivesUpTheProofInFlight) {
    sending = Sending::hang;
    schedule->start("n1", 1000);
    readFailure();
    advanceTo(500ms);
    ASSERT_EQ(hangClock.sleeperCount(), 1u);

    schedule->end();
    schedule->end();
    loop.drain();
    EXPECT_EQ(hangClock.sleeperCount(), 0u);
    EXPECT_EQ(clock->sleeperCount(), 0u);
    ASSERT_TRUE(failure->done);
    EXPECT_EQ(failure->get(), std::nullopt);
    EXPECT_EQ(renewalLogs(), std::vector<std::string>{"gave up a renewal proof as the session ended"});

    auto sleepsAsked = clock->requestedSleeps().size();
    schedule->start("n2", 1000);
    schedule->renewed({"n3", 1000});
    advanceTo(10s);
    EXPECT_EQ(clock->requestedSleeps().size(), sleepsAsked);
    EXPECT_EQ(proofs.size(), 1u);
}

TEST_F(RenewalScheduleTest, EndBeforeTheProofTimeSendsNothing) {
    schedule->start("n1", 60000);
    advanceTo(29s);
    schedule->end();
    advanceTo(120s);
    EXPECT_TRUE(proofs.empty());
    EXPECT_TRUE(schedule->failures().isFinished());
    EXPECT_EQ(schedule->failures().bufferedCount(), 0u);
}

} // namespace
} // namespace velto
