// The pair step over a fake model: the address as saved and as typed, the pairing page and what the
// browser answers, the code entry, and cancelling.
#include "VeltoDesktop/Setup/PairPresenter.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DesktopTestLoop.hpp"
#include "FakeSetupModel.hpp"
#include "RecordingUrlOpening.hpp"

namespace velto::testing {
namespace {

using Calls = std::vector<std::string>;

class PairPresenterTest : public ::testing::Test {
protected:
    PairPresenter& made() {
        pair = std::make_unique<PairPresenter>(model.pair, opener, [this](std::string operation, auto task) {
            started.push_back(operation);
            loop.spawn(std::move(task));
        });
        model.calls.clear();
        return *pair;
    }

    DesktopTestLoop loop;
    FakeSetupModel model{loop.deviceExecutor()};
    RecordingUrlOpening opener;
    std::unique_ptr<PairPresenter> pair;
    Calls started;
};

TEST_F(PairPresenterTest, TheAddressStartsAsSavedWithOnlyALeadingSecureSchemeRemoved) {
    struct Case {
        std::string saved;
        std::string shown;
    };
    const std::vector<Case> cases{
        {"https://velto.example/", "velto.example/"},
        {"HTTPS://velto.example/", "velto.example/"},
        {"https://velto.example/go/https://elsewhere/", "velto.example/go/https://elsewhere/"},
        {"http://localhost:8080/", "http://localhost:8080/"},
        {"", ""},
    };
    for (const auto& c : cases) {
        model.form->setServerAddress(c.saved);
        EXPECT_EQ(made().address(), c.shown) << c.saved;
    }
}

TEST_F(PairPresenterTest, WithSchemeTrimsAndAddsTheSecureSchemeUnlessOneLeads) {
    struct Case {
        std::string typed;
        std::string result;
    };
    const std::vector<Case> cases{
        {"velto.example", "https://velto.example"},
        {"  velto.example \n", "https://velto.example"},
        {"https://velto.example", "https://velto.example"},
        {"http://localhost:8080", "http://localhost:8080"},
        {"velto.example/a://b", "https://velto.example/a://b"},
        {"://velto.example", "https://://velto.example"},
        {"1x://velto.example", "https://1x://velto.example"},
        {"", "https://"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PairPresenter::withScheme(c.typed), c.result) << c.typed;
}

TEST_F(PairPresenterTest, ThePairingPageIsTheServersDevicesPageAndTheFormRemembersTheServer) {
    struct Case {
        std::string typed;
        std::string page;
        std::string remembered;
    };
    const std::vector<Case> cases{
        {" velto.example ", "https://velto.example/organization/settings/devices?pair=mac",
         "https://velto.example"},
        {"velto.example/base/", "https://velto.example/base/organization/settings/devices?pair=mac",
         "https://velto.example/base/"},
        {"http://localhost:8080", "http://localhost:8080/organization/settings/devices?pair=mac",
         "http://localhost:8080"},
    };
    for (const auto& c : cases) {
        made().setAddress(c.typed);
        auto page = pair->pairingPage();
        ASSERT_TRUE(page) << c.typed;
        EXPECT_EQ(page->buffer(), c.page);
        EXPECT_EQ(model.form->serverAddress(), c.remembered);
        EXPECT_FALSE(pair->addressError());
    }
}

TEST_F(PairPresenterTest, AnAddressThatIsNoServerShowsItsErrorAndOpensNothing) {
    const std::vector<std::string> typed{"",
                                         "   ",
                                         std::string(2000, 'a') + ".example/" + std::string(1, ' ') + "x",
                                         "http://velto.example",
                                         "https://",
                                         "velto example"};
    for (const auto& address : typed) {
        made().setAddress(address);
        pair->openPairingPage();
        ASSERT_TRUE(pair->addressError()) << address;
        EXPECT_FALSE(pair->addressError()->empty());
        EXPECT_LE(pair->addressError()->size(), 200u) << "what is quoted of the address is short";
        EXPECT_TRUE(opener.opened.empty()) << address;
        EXPECT_EQ(pair->stage().kind(), PairStage::Case::address) << address;
    }
    // A good address clears the error before it tries.
    pair->setAddress("velto.example");
    pair->openPairingPage();
    EXPECT_FALSE(pair->addressError());
    EXPECT_EQ(pair->stage().kind(), PairStage::Case::waitingForBrowser);
}

TEST_F(PairPresenterTest, FieldsKeepAtMostTheirCap) {
    made().setAddress(std::string(3000, 'a'));
    EXPECT_EQ(pair->address().size(), static_cast<std::size_t>(PairPresenter::maximumFieldLength));
}

TEST_F(PairPresenterTest, OpeningThePageWaitsForTheBrowserOrShowsThePageItCouldNotOpen) {
    made().setAddress("velto.example");
    opener.refuses = true;
    pair->openPairingPage();
    EXPECT_EQ(opener.opened, Calls{"https://velto.example/organization/settings/devices?pair=mac"});
    EXPECT_FALSE(pair->isWaitingForBrowser());
    EXPECT_EQ(pair->stage().kind(), PairStage::Case::address) << "no browser: the stage stays";
    EXPECT_EQ(pair->unopenedPage(), "https://velto.example/organization/settings/devices?pair=mac");

    opener.refuses = false;
    pair->openPairingPage();
    EXPECT_TRUE(pair->isWaitingForBrowser());
    EXPECT_FALSE(pair->unopenedPage());
    EXPECT_EQ(pair->stage().kind(), PairStage::Case::waitingForBrowser);

    pair->cancelPairing();
    EXPECT_FALSE(pair->isWaitingForBrowser());
    EXPECT_EQ(pair->stage().kind(), PairStage::Case::address);
}

TEST_F(PairPresenterTest, OnlyTheLatestOpenersAnswerCounts) {
    made().setAddress("velto.example");
    opener.holds = true;
    pair->openPairingPage();
    EXPECT_FALSE(pair->isWaitingForBrowser()) << "nothing changes before the opener answers";
    EXPECT_FALSE(pair->unopenedPage());
    pair->openPairingPage();
    ASSERT_EQ(opener.pending.size(), 2U);
    opener.pending[1](true);
    EXPECT_TRUE(pair->isWaitingForBrowser());
    opener.pending[0](false);
    EXPECT_TRUE(pair->isWaitingForBrowser()) << "an earlier opener's late refusal is dropped";
    EXPECT_FALSE(pair->unopenedPage());

    // "Open Again" whose opener fails: nothing to wait for, the page is shown under the address.
    pair->openPairingPage();
    opener.pending[2](false);
    EXPECT_FALSE(pair->isWaitingForBrowser());
    EXPECT_EQ(pair->stage().kind(), PairStage::Case::address);
    EXPECT_EQ(pair->unopenedPage(), "https://velto.example/organization/settings/devices?pair=mac");

    // "Change Address" drops an answer still to come.
    pair->openPairingPage();
    pair->cancelPairing();
    opener.pending[3](true);
    EXPECT_FALSE(pair->isWaitingForBrowser());

    // An answer after the window (and its presenter) closed is dropped.
    pair->openPairingPage();
    pair.reset();
    opener.pending[4](true);
}

TEST_F(PairPresenterTest, ACodeIsProposedOnTheTypedServerAndABadOneShowsWhy) {
    made().setAddress(" velto.example ");
    model.form->setCode("7kq2-mx9d");
    pair->submitCode();
    EXPECT_EQ(model.calls, Calls{"propose https://velto.example 1"}) << "codes read in any case";
    EXPECT_EQ(pair->stage().kind(), PairStage::Case::confirming);
    EXPECT_FALSE(model.form->error());

    struct Case {
        std::string code;
        std::string why;
    };
    std::string eleven = "velto://enroll?server=https://velto.example";
    for (int index = 0; index < 11; ++index)
        eleven += "&code=AAAA-11" + std::to_string(10 + index);
    const std::vector<Case> cases{{"", "empty"},
                                  {"   ", "blanks"},
                                  {"7KQ2", "too short"},
                                  {"7KQ2-MX9D-EXTRA", "too long"},
                                  {eleven, "11 codes"}};
    for (const auto& c : cases) {
        model.calls.clear();
        model.form->setError(std::nullopt);
        model.form->setCode(c.code);
        pair->submitCode();
        EXPECT_TRUE(model.calls.empty()) << c.why;
        ASSERT_TRUE(model.form->error()) << c.why;
        EXPECT_FALSE(model.form->error()->empty()) << c.why;
    }
}

TEST_F(PairPresenterTest, ConfirmingSpendsTheCodesInATaskOfItsOwn) {
    model.joins = {sampleEnrollment("d1", "Acme")};
    made();
    model.setPrompt(EnrollmentPrompt::confirming(EnrollmentGate(sampleLink({"7KQ2-MX9D"}))));
    ASSERT_EQ(pair->stage().kind(), PairStage::Case::confirming);
    model.calls.clear();
    pair->confirmPairing();
    loop.drain();
    EXPECT_EQ(started, Calls{"confirm the enrollment"});
    EXPECT_EQ(model.calls, Calls{"confirmEnrollment"});
    EXPECT_EQ(pair->stage().kind(), PairStage::Case::paired);
}

TEST_F(PairPresenterTest, CancellingWhileCodesAreSpentKeepsThePrompt) {
    made();
    model.setPrompt(EnrollmentPrompt::confirming(EnrollmentGate(sampleLink({"7KQ2-MX9D"}))));
    model.spending = true;
    pair->setAddress("velto.example");
    pair->openPairingPage();
    pair->cancelPairing();
    EXPECT_TRUE(model.prompt) << "the prompt stays while codes are spent";
    EXPECT_FALSE(pair->isWaitingForBrowser());
    EXPECT_EQ(model.calls, Calls{}) << "nothing was dismissed";

    model.spending = false;
    pair->cancelPairing();
    EXPECT_EQ(model.calls, Calls{"dismissPrompt"});
    EXPECT_FALSE(model.prompt);
}

} // namespace
} // namespace velto::testing
