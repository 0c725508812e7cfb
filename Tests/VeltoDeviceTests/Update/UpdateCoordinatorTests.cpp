#include "VeltoDevice/Support/Base64.hpp"
#include "VeltoDevice/Update/Ed25519PrivateKey.hpp"
#include "VeltoDevice/Update/UpdateCoordinator.hpp"

#include <gtest/gtest.h>

#include "AsyncTestLoop.hpp"
#include "CapturingLogSink.hpp"
#include "UpdateFakes.hpp"

namespace velto {
namespace {

using Case = UpdateRefusal::Case;
using Progress = UpdateProgress;
using testing::CapturedLine;

class UpdateCoordinatorTest : public ::testing::Test {
protected:
    void TearDown() override {
        coordinator.reset();
        loop.drain();
        setLogSink(nullptr);
    }

    std::shared_ptr<UpdateCoordinator> make(std::optional<InstallLocationProblem> problem = std::nullopt) {
        return std::make_shared<UpdateCoordinator>(
            loop.executor(), UpdateVerifier("1.2", Base64::encode(key.publicKey().raw())), problem, stager,
            installer, activity);
    }

    ServerMessage::UpdateOffer offer(const std::string& version) const {
        ServerMessage::UpdateOffer offer{version, "https://downloads.velto.example/Velto-" + version + ".zip",
                                         std::string(64, 'c'), ""};
        offer.signature =
            Base64::encode(key.sign(UpdateVerifier::signedMessage(offer.version, offer.sha256, offer.url)));
        return offer;
    }

    UpdateDecision consider(const std::string& version) {
        auto decision = loop.run(coordinator->consider(offer(version)));
        loop.drain();
        return decision;
    }
    void idle() {
        loop.spawn(coordinator->jobsBecameIdle());
        loop.drain();
    }
    void succeed(std::size_t attempt) {
        stager->succeed(attempt);
        loop.drain();
    }
    void fail(std::size_t attempt, std::exception_ptr error) {
        stager->fail(attempt, std::move(error));
        loop.drain();
    }

    /// The progress values sent and not read yet.
    std::vector<Progress> progress() {
        std::vector<Progress> values;
        while (coordinator->progress().bufferedCount() > 0)
            values.push_back(*loop.run(coordinator->progress().next()));
        return values;
    }

    std::vector<std::string> lines(LogLevel level) const {
        std::vector<std::string> found;
        for (const auto& line : sink->lines())
            if (line.category == "update" && line.level == level)
                found.push_back(line.message);
        return found;
    }

    testing::AsyncTestLoop loop;
    std::shared_ptr<testing::CapturingLogSink> sink = testing::CapturingLogSink::install();
    Ed25519PrivateKey key = Ed25519PrivateKey::generate();
    std::shared_ptr<testing::HoldableStager> stager = std::make_shared<testing::HoldableStager>();
    std::shared_ptr<testing::HoldableActivity> activity = std::make_shared<testing::HoldableActivity>();
    std::shared_ptr<testing::RecordingInstaller> installer = std::make_shared<testing::RecordingInstaller>();
    std::shared_ptr<UpdateCoordinator> coordinator = make();
};

TEST_F(UpdateCoordinatorTest, StartsOneAttemptForTheSameOfferFromTwoSessions) {
    EXPECT_EQ(consider("1.3"), UpdateDecision::downloading("1.3"));
    EXPECT_EQ(consider("1.3"), UpdateDecision::ignored(UpdateRefusal(Case::notNewerThanPending)));
    EXPECT_EQ(stager->calls.size(), 1u);
    EXPECT_EQ(coordinator->downloadsStarted(), 1);
    EXPECT_EQ(lines(LogLevel::info), (std::vector<std::string>{"downloading update 1.3"}));
    EXPECT_EQ(
        lines(LogLevel::debug),
        (std::vector<std::string>{"ignored update 1.3: it is not newer than the update already on its way"}));
}

TEST_F(UpdateCoordinatorTest, LogsScreeningRefusalsWithoutRememberingThem) {
    EXPECT_EQ(consider("1.2.0").refusal, UpdateRefusal(Case::notNewer));
    auto forged = offer("1.3");
    forged.url += "?changed";
    EXPECT_EQ(loop.run(coordinator->consider(forged)).refusal, UpdateRefusal(Case::badSignature));
    EXPECT_EQ(lines(LogLevel::debug),
              (std::vector<std::string>{"ignored update 1.2.0: it is not newer than this build"}));
    EXPECT_EQ(lines(LogLevel::notice),
              (std::vector<std::string>{"ignored update 1.3: the signature does not verify"}));
    EXPECT_EQ(consider("1.3"), UpdateDecision::downloading("1.3"));

    coordinator = make(InstallLocationProblem::readOnlyVolume);
    EXPECT_EQ(consider("1.3").refusal, UpdateRefusal::notInstallable(InstallLocationProblem::readOnlyVolume));
    EXPECT_EQ(lines(LogLevel::notice).back(),
              "ignored update 1.3: this copy cannot be replaced: it is on a read-only volume");
}

TEST_F(UpdateCoordinatorTest, ANewerOfferSupersedesTheRunningAttempt) {
    consider("1.2.1");
    EXPECT_EQ(consider("1.3"), UpdateDecision::downloading("1.3"));
    ASSERT_EQ(stager->calls.size(), 2u);
    EXPECT_TRUE(stager->calls[0]->cancelled);
    EXPECT_EQ(coordinator->downloadsStarted(), 2);
    EXPECT_EQ(lines(LogLevel::debug).size(), 1u);
    EXPECT_EQ(lines(LogLevel::debug)[0].rfind("update 1.2.1 stopped: ", 0), 0u) << lines(LogLevel::debug)[0];
    EXPECT_TRUE(coordinator->refusedVersions().empty());
    EXPECT_EQ(consider("1.2.1").refusal, UpdateRefusal(Case::notNewerThanPending));
}

TEST_F(UpdateCoordinatorTest, DiscardsASupersededAttemptThatStagedAnyway) {
    stager->ignoresCancellation = true;
    consider("1.2.1");
    consider("1.3");
    succeed(0);
    EXPECT_EQ(stager->discarded, (std::vector<std::string>{"1.2.1"}));
    EXPECT_FALSE(coordinator->staged().has_value());
    EXPECT_TRUE(activity->events.empty());
    succeed(1);
    EXPECT_EQ(installer->installed, (std::vector<std::string>{"1.3"}));
}

TEST_F(UpdateCoordinatorTest, InstallsAtOnceWhenTheRunnerIsIdle) {
    consider("1.3");
    succeed(0);
    EXPECT_EQ(activity->events, (std::vector<std::string>{"hold", "isIdle"}));
    EXPECT_EQ(installer->installed, (std::vector<std::string>{"1.3"}));
    EXPECT_EQ(stager->discarded, (std::vector<std::string>{"1.3"}));
    EXPECT_EQ(progress(), (std::vector<Progress>{Progress::installed("1.3")}));
    EXPECT_TRUE(coordinator->isInstalling());
    EXPECT_EQ(lines(LogLevel::info), (std::vector<std::string>{"downloading update 1.3", "staged update 1.3",
                                                               "installed update 1.3; relaunching"}));
    // The process is about to be replaced: offers are only logged now.
    loop.run(coordinator->receive(offer("1.4")));
    EXPECT_EQ(stager->calls.size(), 1u);
    EXPECT_EQ(lines(LogLevel::debug).back(), "ignored update 1.4: an update is being installed");
    idle();
    EXPECT_EQ(installer->installed.size(), 1u);
}

TEST_F(UpdateCoordinatorTest, WaitsForReviewOnceWhileTheRunnerIsBusy) {
    activity->idle = false;
    consider("1.3");
    succeed(0);
    idle();
    idle();
    EXPECT_EQ(progress(), (std::vector<Progress>{Progress::waitingForReview("1.3")}));
    EXPECT_TRUE(installer->installed.empty());
    EXPECT_TRUE(activity->holds);
    activity->idle = true;
    idle();
    EXPECT_EQ(installer->installed, (std::vector<std::string>{"1.3"}));
    EXPECT_EQ(progress(), (std::vector<Progress>{Progress::installed("1.3")}));
}

TEST_F(UpdateCoordinatorTest, ANewerStagedUpdateTakesTheWaitingOnesPlace) {
    activity->idle = false;
    consider("1.2.1");
    succeed(0);
    EXPECT_EQ(consider("1.3"), UpdateDecision::downloading("1.3"));
    succeed(1);
    EXPECT_EQ(stager->discarded, (std::vector<std::string>{"1.2.1"}));
    EXPECT_EQ(coordinator->staged()->version.text(), "1.3");
    EXPECT_EQ(progress(), (std::vector<Progress>{Progress::waitingForReview("1.2.1"),
                                                 Progress::waitingForReview("1.3")}));
    EXPECT_EQ(consider("1.2.5").refusal, UpdateRefusal(Case::notNewerThanPending));
}

TEST_F(UpdateCoordinatorTest, RemembersFailedVersionsButRetriesAFailedDownload) {
    consider("1.3");
    fail(0, std::make_exception_ptr(UpdateRefusal(Case::downloadFailed)));
    EXPECT_EQ(lines(LogLevel::error),
              (std::vector<std::string>{"could not stage update 1.3: the download failed"}));
    EXPECT_EQ(consider("1.3"), UpdateDecision::downloading("1.3"));
    fail(1, std::make_exception_ptr(UpdateRefusal(Case::digestMismatch)));
    EXPECT_EQ(consider("1.3.0"), UpdateDecision::ignored(UpdateRefusal(Case::refusedEarlier)));
    EXPECT_EQ(lines(LogLevel::debug).back(),
              "ignored update 1.3.0: this version already failed since launch");
    // A failure that is no refusal (the file system's) is only logged.
    consider("1.4");
    fail(2, std::make_exception_ptr(std::runtime_error("disk full")));
    EXPECT_EQ(lines(LogLevel::debug).back(), "update 1.4 stopped: disk full");
    EXPECT_EQ(consider("1.4"), UpdateDecision::downloading("1.4"));
    EXPECT_TRUE(activity->events.empty());
}

TEST_F(UpdateCoordinatorTest, AFailedInstallKeepsTheOldAppRefusesTheVersionAndLiftsTheHold) {
    installer->failure = std::make_exception_ptr(std::runtime_error("rename: Permission denied"));
    activity->idle = false;
    consider("1.3");
    succeed(0);
    activity->idle = true;
    idle();
    EXPECT_EQ(activity->events, (std::vector<std::string>{"hold", "isIdle", "isIdle", "release"}));
    EXPECT_EQ(progress(), (std::vector<Progress>{Progress::waitingForReview("1.3"), Progress::none()}));
    EXPECT_EQ(lines(LogLevel::error),
              (std::vector<std::string>{"could not install update 1.3: rename: Permission denied"}));
    EXPECT_EQ(stager->discarded, (std::vector<std::string>{"1.3"}));
    EXPECT_FALSE(coordinator->staged().has_value());
    EXPECT_FALSE(coordinator->isInstalling());
    EXPECT_EQ(consider("1.3").refusal, UpdateRefusal(Case::refusedEarlier));
}

TEST_F(UpdateCoordinatorTest, AFailedInstallReportsNothingWhenNothingWasReported) {
    installer->failure = std::make_exception_ptr(std::runtime_error("no space"));
    consider("1.3");
    succeed(0);
    EXPECT_EQ(installer->installed.size(), 1u);
    EXPECT_TRUE(progress().empty());
    EXPECT_FALSE(activity->holds);
}

TEST_F(UpdateCoordinatorTest, LooksAgainAfterAskingWhetherTheRunnerIsIdle) {
    activity->idle = false;
    consider("1.3");
    succeed(0);
    progress();
    activity->idle = true;
    activity->answerAtOnce = false;
    idle();
    idle();
    ASSERT_EQ(activity->pending.size(), 2u);
    activity->answer();
    loop.drain();
    activity->answer();
    loop.drain();
    EXPECT_EQ(installer->installed, (std::vector<std::string>{"1.3"}));
}

TEST_F(UpdateCoordinatorTest, SettlesOnceTheNewestAttemptHasEnded) {
    auto fresh = loop.spawn(coordinator->downloadSettled());
    loop.drain();
    EXPECT_TRUE(fresh->done);
    consider("1.3");
    auto settled = loop.spawn(coordinator->downloadSettled());
    loop.drain();
    EXPECT_FALSE(settled->done);
    fail(0, std::make_exception_ptr(UpdateRefusal(Case::unzipFailed)));
    EXPECT_TRUE(settled->done);
    EXPECT_NO_THROW(settled->get());
}

TEST_F(UpdateCoordinatorTest, SessionsHandOffersThroughReceive) {
    UpdateOfferReceiving& receiver = *coordinator;
    loop.run(receiver.receive(offer("1.3")));
    EXPECT_EQ(stager->calls.size(), 1u);
}

} // namespace
} // namespace velto
