#include "VeltoDevice/Connection/ConnectionState.hpp"
#include "VeltoDevice/Keys/KeyStoreError.hpp"

#include <fstream>

#include "ModelFixture.hpp"

namespace velto {
namespace {

using testing::ModelFixture;

class RestoreTest : public ModelFixture {};

TEST_F(RestoreTest, WithoutASavedListNothingIsListedAndTheLogSaysNotEnrolled) {
    build();
    loop.run(model->organizations().restore());
    EXPECT_TRUE(model->organizations().rows().empty());
    EXPECT_FALSE(model->organizations().problem());
    EXPECT_EQ(log->messages("app"), std::vector<std::string>{"not enrolled"});
}

TEST_F(RestoreTest, ADamagedListShowsItsSentenceAndListsNothing) {
    std::filesystem::create_directories(services->listStore->filePath().parent_path());
    std::ofstream(services->listStore->filePath()) << "[{\"deviceId\": 3}]";
    build();
    loop.run(model->organizations().restore());
    EXPECT_TRUE(model->organizations().rows().empty());
    ASSERT_TRUE(model->organizations().problem());
    const auto sentence = EnrollmentError::corruptEnrollments().description();
    EXPECT_EQ(*model->organizations().problem(), sentence);
    EXPECT_EQ(log->messages("app"), std::vector<std::string>{"could not read the enrollments: " + sentence});
}

TEST_F(RestoreTest, AMissingKeyListsItsOrganizationStoppedAndDialsOnlyTheOthers) {
    services->save({enrollment("dev-a", "org-a", "Acme"), enrollment("dev-b", "org-b", "Bolt")});
    services->keys->storage("dev-a")->setContents(std::nullopt);
    build();
    loop.run(model->organizations().restore());
    loop.drain();

    const auto sentence = KeyStoreError::unreadableKey().description();
    ASSERT_EQ(model->organizations().rows().size(), 2u);
    EXPECT_EQ(model->organizations().rows()[0].state, ConnectionState::stopped(sentence));
    EXPECT_EQ(model->organizations().rows()[1].id(), "dev-b");
    EXPECT_EQ(socketIds(), std::vector<std::string>{"dev-b"});
    EXPECT_EQ(services->dialer->dialCount(), 1u);
    EXPECT_EQ(model->commandLine().identities().count("dev-a"), 0u);
    auto lines = log->messages("app");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "could not restore Acme: " + sentence), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "restored enrollment in Bolt"), lines.end());
}

TEST_F(RestoreTest, TwoSavedEnrollmentsOfOneOrganizationEndAsOneRowTheLaterOne) {
    services->save({enrollment("dev-1", "org-a", "Acme"), enrollment("dev-2", "org-a", "Acme")});
    build();
    loop.run(model->organizations().restore());
    loop.drain();

    EXPECT_EQ(rowIds(), std::vector<std::string>{"dev-2"});
    EXPECT_EQ(socketIds(), std::vector<std::string>{"dev-2"});
    EXPECT_EQ(model->connections().observedIds(), std::vector<std::string>{"dev-2"});
    EXPECT_EQ(model->commandLine().identities().count("dev-1"), 0u);
}

TEST_F(RestoreTest, WhilePausedRestoringConnectsNothingUntilResumed) {
    services->standard->set("paused", true);
    services->save({enrollment("dev-a", "org-a", "Acme")});
    build();
    loop.run(model->organizations().restore());
    loop.drain();
    EXPECT_EQ(socketIds(), std::vector<std::string>{"dev-a"});
    EXPECT_EQ(services->dialer->dialCount(), 0u);
    EXPECT_EQ(model->organizations().rows()[0].state, ConnectionState::offline());

    loop.run(model->setPaused(false));
    loop.drain();
    EXPECT_EQ(services->dialer->dialCount(), 1u);
    EXPECT_EQ(services->standard->boolean("paused"), false);
}

TEST_F(RestoreTest, TheEarlierSingleEnrollmentIsMovedIntoTheListFirst) {
    services->earlierStore->save(enrollment("dev-old", "org-a", "Acme"));
    services->earlierKeyStorage->setContents(
        SecureEnclaveKeyStore(services->keys).makeKey().dataRepresentation());
    build();
    loop.run(model->organizations().restore());
    loop.drain();
    EXPECT_EQ(rowIds(), std::vector<std::string>{"dev-old"});
    EXPECT_EQ(services->saved().size(), 1u);
}

TEST_F(RestoreTest, AWelcomeMakesTheRowConnectedAndItsProfileRenamesTheSavedRecord) {
    services->save({enrollment("dev-a", "org-a", "Acme")});
    build();
    loop.run(model->organizations().restore());
    loop.drain();
    ASSERT_EQ(services->dialer->dialCount(), 1u);
    services->dialer->latest().deliver(
        welcome("dev-a", R"({"organization":{"id":"org-a","name":"Acme Labs"},"user":{"login":"ana"}})"));
    loop.drain();

    EXPECT_EQ(model->organizations().rows()[0].state, ConnectionState::connected("dev-a"));
    EXPECT_EQ(model->organizations().rows()[0].enrollment.organization.name, "Acme Labs");
    EXPECT_EQ(services->saved().at(0).organization.name, "Acme Labs");
    auto lines = log->messages("app");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "connection dev-a: connected(dev-a)"), lines.end());
}

} // namespace
} // namespace velto
