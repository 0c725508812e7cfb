#include "VeltoDevice/Enrollment/ApprovedEnrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Enrollment/EnrollmentResults.hpp"
#include "VeltoDevice/Server/ServerError.hpp"

#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/error.hpp>
#include <boost/system/system_error.hpp>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "EnrollmentFixtures.hpp"
#include "ManualClock.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using testing::AsyncTestLoop;
using testing::ManualClock;

EnrollmentCode code(const char* typed) {
    return EnrollmentCode::fromTyped(typed);
}

JoinedOrganization joined(const std::string& organizationId) {
    return JoinedOrganization{testing::sampleEnrollment("device-" + organizationId, organizationId),
                              std::nullopt};
}

ApprovedEnrollment approvedOf(const std::vector<const char*>& typed) {
    std::vector<EnrollmentCode> codes;
    for (const char* text : typed)
        codes.push_back(code(text));
    return ApprovedEnrollment{EnrollmentProposal{
        EnrollmentLink::fromCodes(VeltoServer::fromAddress("https://velto.example"), codes)}};
}

TEST(EnrollmentResults, RefusalSummaries) {
    const std::string rejected = EnrollmentError::codeRejected().description();
    struct Row {
        const char* name;
        EnrollmentResults results;
        std::optional<std::string> expected;
    };
    const std::vector<Row> rows = {
        {"nothing refused", {{joined("a"), joined("b")}, {}}, std::nullopt},
        {"no codes at all", {}, std::nullopt},
        {"the only code refused", {{}, {{code("7KQ2MX9D"), rejected}}}, rejected},
        {"one of three refused",
         {{joined("a"), joined("c")}, {{code("BBBB1111"), "Velto answered with HTTP 502."}}},
         "1 of 3 codes was refused:\nBBBB-1111: Velto answered with HTTP 502."},
        {"both of two refused",
         {{}, {{code("7KQ2MX9D"), rejected}, {code("AAAA0000"), "Velto could not be reached: offline"}}},
         "2 of 2 codes were refused:\n7KQ2-MX9D: " + rejected +
             "\nAAAA-0000: Velto could not be reached: offline"},
        {"one joined and one refused",
         {{joined("a")}, {{code("AAAA0000"), "No."}}},
         "1 of 2 codes was refused:\nAAAA-0000: No."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.results.refusalSummary(), row.expected);
    }
}

TEST(SpendEach, SpendsEveryCodeInOrderAndKeepsGoingPastRefusals) {
    ApprovedEnrollment approved = approvedOf({"AAAA0000", "BBBB1111", "CCCC2222"});
    std::vector<ApprovedCode> spent;
    auto spend = [&](ApprovedCode approvedCode) -> boost::asio::awaitable<JoinedOrganization> {
        spent.push_back(approvedCode);
        if (approvedCode.code.value() == "BBBB1111")
            throw EnrollmentError::codeRejected();
        co_return joined(approvedCode.code.value());
    };
    AsyncTestLoop loop;
    EnrollmentResults results = loop.run(approved.spendEach(spend));

    EXPECT_EQ(spent, approved.codes());
    EXPECT_EQ(results,
              (EnrollmentResults{{joined("AAAA0000"), joined("CCCC2222")},
                                 {{code("BBBB1111"), EnrollmentError::codeRejected().description()}}}));
    EXPECT_EQ(results.refusalSummary(),
              "1 of 3 codes was refused:\nBBBB-1111: " + EnrollmentError::codeRejected().description());
}

TEST(SpendEach, ARefusalCarriesTheErrorsMessage) {
    struct Row {
        const char* name;
        std::function<void()> fail;
        std::string reason;
    };
    const std::vector<Row> rows = {
        {"an error of ours", [] { throw ServerError::unreachable("offline"); },
         "Velto could not be reached: offline"},
        {"another exception", [] { throw std::runtime_error("the keyring is locked"); },
         "the keyring is locked"},
        {"a system error", [] { throw boost::system::system_error(boost::asio::error::connection_reset); },
         boost::system::system_error(boost::asio::error::connection_reset).what()},
        {"not an exception", [] { throw 42; }, "Velto could not enroll this computer with that code."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto spend = [&](ApprovedCode) -> boost::asio::awaitable<JoinedOrganization> {
            row.fail();
            co_return joined("never");
        };
        AsyncTestLoop loop;
        EnrollmentResults results = loop.run(approvedOf({"AAAA0000"}).spendEach(spend));
        EXPECT_TRUE(results.joined.empty());
        EXPECT_EQ(results.refusals, (std::vector<CodeRefusal>{{code("AAAA0000"), row.reason}}));
    }
}

/// A spending run under a cancellation signal, with a body that waits on a manual clock for each code.
class SpendingOnAClock : public ::testing::Test {
protected:
    void start(std::function<boost::asio::awaitable<JoinedOrganization>(ApprovedCode)> spend) {
        boost::asio::co_spawn(loop.context(),
                              approvedOf({"AAAA0000", "BBBB1111", "CCCC2222"}).spendEach(spend),
                              boost::asio::bind_cancellation_slot(
                                  signal.slot(), [this](std::exception_ptr error, EnrollmentResults results) {
                                      outcome = error;
                                      finished = true;
                                      resultsIfAny = std::move(results);
                                  }));
        loop.drain();
    }

    void expectAborted() {
        ASSERT_TRUE(finished);
        ASSERT_TRUE(outcome) << "ended with " << resultsIfAny.codeCount() << " results";
        try {
            std::rethrow_exception(outcome);
        } catch (const boost::system::system_error& error) {
            EXPECT_EQ(error.code(), boost::asio::error::operation_aborted);
        } catch (const std::exception& error) {
            ADD_FAILURE() << "ended with " << error.what();
        }
    }

    AsyncTestLoop loop;
    ManualClock clock;
    boost::asio::cancellation_signal signal;
    std::vector<std::string> started;
    bool finished = false;
    std::exception_ptr outcome;
    EnrollmentResults resultsIfAny;
};

TEST_F(SpendingOnAClock, CodesAreSpentOneAtATime) {
    start([this](ApprovedCode approvedCode) -> boost::asio::awaitable<JoinedOrganization> {
        started.push_back(approvedCode.code.value());
        co_await clock.sleep(1s);
        co_return joined(approvedCode.code.value());
    });
    EXPECT_EQ(started, (std::vector<std::string>{"AAAA0000"}));
    clock.advance(1s);
    loop.drain();
    EXPECT_EQ(started, (std::vector<std::string>{"AAAA0000", "BBBB1111"}));
    clock.advance(1s);
    loop.drain();
    clock.advance(1s);
    loop.drain();
    ASSERT_TRUE(finished);
    EXPECT_FALSE(outcome);
    EXPECT_EQ(resultsIfAny.joined.size(), 3u);
}

TEST_F(SpendingOnAClock, CancellationEndsTheLoopWithoutARefusal) {
    start([this](ApprovedCode approvedCode) -> boost::asio::awaitable<JoinedOrganization> {
        started.push_back(approvedCode.code.value());
        co_await clock.sleep(1s);
        co_return joined(approvedCode.code.value());
    });
    clock.advance(1s);
    loop.drain();
    signal.emit(boost::asio::cancellation_type::terminal);
    loop.drain();
    expectAborted();
    EXPECT_EQ(started, (std::vector<std::string>{"AAAA0000", "BBBB1111"}));
}

TEST_F(SpendingOnAClock, ACancelledCodeReportedAsAnotherFailureStillEndsTheLoop) {
    // As a transport does: the cancellation comes back as "could not be reached".
    start([this](ApprovedCode approvedCode) -> boost::asio::awaitable<JoinedOrganization> {
        started.push_back(approvedCode.code.value());
        try {
            co_await clock.sleep(1s);
        } catch (const boost::system::system_error&) {
            throw ServerError::unreachable("Operation canceled");
        }
        co_return joined(approvedCode.code.value());
    });
    signal.emit(boost::asio::cancellation_type::terminal);
    loop.drain();
    expectAborted();
    EXPECT_EQ(started, (std::vector<std::string>{"AAAA0000"}));
}

TEST_F(SpendingOnAClock, AnAbortedCodeEndsTheLoopEvenUncancelled) {
    start([this](ApprovedCode approvedCode) -> boost::asio::awaitable<JoinedOrganization> {
        started.push_back(approvedCode.code.value());
        throw boost::system::system_error(boost::asio::error::operation_aborted);
        co_return joined(approvedCode.code.value());
    });
    expectAborted();
    EXPECT_EQ(started, (std::vector<std::string>{"AAAA0000"}));
}

} // namespace
} // namespace velto
