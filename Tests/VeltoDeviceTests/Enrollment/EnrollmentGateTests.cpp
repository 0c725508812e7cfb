#include "VeltoDevice/Enrollment/ApprovedEnrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentGate.hpp"
#include "VeltoDevice/Enrollment/EnrollmentInFlight.hpp"
#include "VeltoDevice/Enrollment/EnrollmentProposal.hpp"
#include "VeltoDevice/Enrollment/SetupProgress.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velto {
namespace {

EnrollmentLink linkOf(const std::vector<std::string>& typed,
                      const std::string& address = "https://velto.example") {
    std::vector<EnrollmentCode> codes;
    for (const std::string& text : typed)
        codes.push_back(EnrollmentCode::fromTyped(text));
    return EnrollmentLink::fromCodes(VeltoServer::fromAddress(address), codes);
}

TEST(EnrollmentProposal, ShowsEachCodeInDisplayFormInLinkOrder) {
    EnrollmentProposal proposal{linkOf({"mx9d7kq2", "7KQ2-MX9D"})};
    EXPECT_EQ(proposal.displayCodes(), (std::vector<std::string>{"MX9D-7KQ2", "7KQ2-MX9D"}));
    EXPECT_EQ(proposal.organizationCount(), 2u);
}

TEST(EnrollmentGate, ApprovesOnlyOnce) {
    EnrollmentLink link = linkOf({"7KQ2MX9D", "AAAA0000"});
    EnrollmentGate gate(link);
    EXPECT_EQ(gate.step(), EnrollmentGate::Step::reviewing);

    EnrollmentGate::Decision first = gate.confirm();
    ASSERT_EQ(first.kind(), EnrollmentGate::Decision::Case::enroll);
    EXPECT_EQ(first, EnrollmentGate::Decision::enroll(ApprovedEnrollment{EnrollmentProposal{link}}));
    EXPECT_EQ(gate.step(), EnrollmentGate::Step::approved);

    EnrollmentGate::Decision second = gate.confirm();
    EXPECT_EQ(second, EnrollmentGate::Decision::alreadyApproved());
    EXPECT_FALSE(second.approved());
    EXPECT_EQ(gate.step(), EnrollmentGate::Step::approved);
    EXPECT_EQ(gate.proposal(), EnrollmentProposal{link});
}

TEST(ApprovedEnrollment, GivesOneCodePerCodeOfTheLinkWithItsServer) {
    ApprovedEnrollment approved{
        EnrollmentProposal{linkOf({"BBBB1111", "AAAA0000"}, "https://velto.example/o")}};
    VeltoServer server = VeltoServer::fromAddress("https://velto.example/o");
    EXPECT_EQ(approved.codes(), (std::vector<ApprovedCode>{{server, EnrollmentCode::fromTyped("BBBB1111")},
                                                           {server, EnrollmentCode::fromTyped("AAAA0000")}}));
    EXPECT_EQ(approved.link(), approved.proposal.link);
}

TEST(EnrollmentInFlight, HoldsOneApprovedProposalUntilFinished) {
    ApprovedEnrollment first{EnrollmentProposal{linkOf({"7KQ2MX9D"})}};
    ApprovedEnrollment other{EnrollmentProposal{linkOf({"AAAA0000"})}};
    EnrollmentInFlight inFlight;
    EXPECT_FALSE(inFlight.isSpending());

    EXPECT_TRUE(inFlight.begin(first));
    EXPECT_TRUE(inFlight.isSpending());
    EXPECT_FALSE(inFlight.begin(first)) << "the very same proposal is not begun twice";
    EXPECT_FALSE(inFlight.begin(other));
    EXPECT_EQ(inFlight.proposal, first.proposal);

    inFlight.finish();
    EXPECT_FALSE(inFlight.isSpending());
    EXPECT_TRUE(inFlight.begin(other));
    EXPECT_EQ(inFlight.proposal, other.proposal);
}

TEST(SetupProgress, FollowsEnrollmentThenTheSetupFlag) {
    struct Row {
        bool isEnrolled;
        bool hasFinishedSetup;
        SetupProgress expected;
        bool unfinished;
    };
    const std::vector<Row> rows = {
        {false, false, SetupProgress::unpaired, true},
        {false, true, SetupProgress::unpaired, true},
        {true, false, SetupProgress::pairedWithChoicesLeft, true},
        {true, true, SetupProgress::finished, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.isEnrolled) + std::to_string(row.hasFinishedSetup));
        SetupProgress progress = setupProgress(row.isEnrolled, row.hasFinishedSetup);
        EXPECT_EQ(progress, row.expected);
        EXPECT_EQ(isUnfinished(progress), row.unfinished);
    }
}

} // namespace
} // namespace velto
