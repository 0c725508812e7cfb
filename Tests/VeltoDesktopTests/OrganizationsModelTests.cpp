#include "VeltoDevice/Support/FileError.hpp"

#include "FixedSigningKey.hpp"
#include "ModelFixture.hpp"

namespace velto {
namespace {

using testing::ModelFixture;

class OrganizationsTest : public ModelFixture {
protected:
    std::shared_ptr<const DeviceSigningKey> key() { return std::make_shared<testing::FixedSigningKey>(); }
};

TEST_F(OrganizationsTest, AnotherDeviceOfAListedOrganizationKeepsTheRowAndStopsTheOldSocket) {
    build();
    model->organizations().addAndConnect(enrollment("dev-1", "org-a", "Acme"), key());
    model->organizations().addAndConnect(enrollment("dev-9", "org-b", "Bolt"), key());
    loop.drain();
    services->dialer->opened()[0]->deliver(welcome("dev-1"));
    loop.drain();

    model->organizations().addAndConnect(enrollment("dev-2", "org-a", "Acme"), key());
    EXPECT_EQ(model->organizations().rows()[0].state, ConnectionState::offline());
    loop.drain();

    EXPECT_EQ(rowIds(), (std::vector<std::string>{"dev-2", "dev-9"}));
    EXPECT_EQ(socketIds(), (std::vector<std::string>{"dev-9", "dev-2"}));
    EXPECT_TRUE(services->dialer->opened()[0]->isClosed());
    EXPECT_EQ(model->commandLine().identities().count("dev-1"), 0u);
    EXPECT_EQ(model->connections().observedIds(), (std::vector<std::string>{"dev-2", "dev-9"}));
}

TEST_F(OrganizationsTest, EnrollingAgainUnderTheSameDeviceIdOnlyStopsTheOldConnection) {
    build();
    model->organizations().addAndConnect(enrollment("dev-1", "org-a", "Acme"), key());
    loop.drain();
    auto first = services->dialer->opened().at(0);
    first->deliver(welcome("dev-1"));
    loop.drain();

    model->organizations().addAndConnect(enrollment("dev-1", "org-a", "Acme"), key());
    loop.drain();

    EXPECT_TRUE(first->isClosed());
    EXPECT_EQ(socketIds(), std::vector<std::string>{"dev-1"});
    EXPECT_EQ(model->commandLine().identities().count("dev-1"), 1u);
    EXPECT_EQ(model->connections().observedIds(), std::vector<std::string>{"dev-1"});
    ASSERT_EQ(services->dialer->dialCount(), 2u);
    // The new connection's states still reach the row.
    services->dialer->latest().deliver(welcome("dev-1"));
    loop.drain();
    EXPECT_EQ(model->organizations().rows()[0].state, ConnectionState::connected("dev-1"));
}

TEST_F(OrganizationsTest, LeavingDuringTheConnectLeavesNoSocketAndNoObserver) {
    // Without a saved list, leaving reaches the socket set without waiting for a file.
    services->savedEnrollments = nullptr;
    build();
    model->organizations().addAndConnect(enrollment("dev-1", "org-a", "Acme"), key());
    // Leaving while the connect registers its socket: the connect comes back after the leave.
    loop.spawn(model->organizations().remove(model->organizations().rows()[0]));
    loop.drain();

    EXPECT_TRUE(model->organizations().rows().empty());
    EXPECT_TRUE(socketIds().empty());
    EXPECT_TRUE(model->connections().observedIds().empty());
    EXPECT_EQ(services->dialer->dialCount(), 0u);
    EXPECT_EQ(model->commandLine().identities().count("dev-1"), 0u);
}

TEST_F(OrganizationsTest, AStatePublishedAfterLeavingChangesNothing) {
    build();
    model->organizations().addAndConnect(enrollment("dev-1", "org-a", "Acme"), key());
    loop.drain();
    loop.run(model->organizations().remove(model->organizations().rows()[0]));
    model->organizations().setConnectionState(ConnectionState::connecting(), "dev-1");
    EXPECT_TRUE(model->organizations().rows().empty());
}

TEST_F(OrganizationsTest, LeavingWhenTheListCannotBeSavedKeepsTheOrganizationConnected) {
    services->save({enrollment("dev-1", "org-a", "Acme")});
    build();
    loop.run(model->organizations().restore());
    loop.drain();
    // A folder where the list file was makes every save fail.
    std::filesystem::remove(services->listStore->filePath());
    std::filesystem::create_directories(services->listStore->filePath() / "blocked");

    loop.run(model->organizations().remove(model->organizations().rows()[0]));
    EXPECT_EQ(rowIds(), std::vector<std::string>{"dev-1"});
    EXPECT_EQ(socketIds(), std::vector<std::string>{"dev-1"});
    ASSERT_TRUE(model->organizations().problem());
    auto lines = log->messages("app");
    EXPECT_EQ(lines.back(), "could not remove Acme: " + *model->organizations().problem());
}

TEST_F(OrganizationsTest, LeavingDropsTheRowTheSocketTheRecordAndTheKey) {
    services->save({enrollment("dev-1", "org-a", "Acme")});
    build();
    loop.run(model->organizations().restore());
    loop.drain();
    loop.run(model->organizations().remove(model->organizations().rows()[0]));
    loop.drain();
    EXPECT_TRUE(model->organizations().rows().empty());
    EXPECT_TRUE(socketIds().empty());
    EXPECT_TRUE(services->saved().empty());
    EXPECT_FALSE(services->keys->storage("dev-1")->contents());
}

} // namespace
} // namespace velto
