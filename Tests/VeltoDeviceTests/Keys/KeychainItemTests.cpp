// Against the real Secret Service of the session bus, under a service name of this run alone.
#include "VeltoDevice/Keys/KeyStoreError.hpp"
#include "VeltoDevice/Keys/KeychainDeviceKeyring.hpp"
#include "VeltoDevice/Keys/KeychainItem.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "TestSecretService.hpp"

namespace velto::testing {
namespace {

namespace ss = secretservice;

constexpr int kLockedCode = 2; // libsecret's SECRET_ERROR_IS_LOCKED

class KeychainItemTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (auto why = ss::unavailableReason()) {
            if (ss::required())
                FAIL() << "No Secret Service answers (" << *why << "), and VELTO_REQUIRE_SECRET_SERVICE=1";
            GTEST_SKIP() << "No Secret Service answers (" << *why << "); skipping the keychain tests";
        }
        service_ = ss::uniqueServiceName();
    }

    void TearDown() override {
        if (!service_.empty())
            ss::removeAll(service_);
    }

    KeychainItem item(const std::string& account) const { return KeychainItem(service_, account); }

    std::string service_;
};

TEST_F(KeychainItemTest, NothingStoredReadsAsNothingAndDeletesWithoutError) {
    auto missing = item("device-key.never-written");
    EXPECT_EQ(missing.read(), std::nullopt);
    EXPECT_NO_THROW(missing.remove());
    EXPECT_EQ(ss::itemCount(service_, "device-key.never-written"), 0);
}

TEST_F(KeychainItemTest, WriteReadOverwriteAndDelete) {
    auto key = item("device-key.one");
    key.write(toBytes("first"));
    EXPECT_EQ(key.read(), toBytes("first"));
    EXPECT_EQ(ss::itemCount(service_, "device-key.one"), 1);

    key.write(toBytes("second"));
    EXPECT_EQ(key.read(), toBytes("second"));
    EXPECT_EQ(ss::itemCount(service_, "device-key.one"), 1) << "an overwrite must replace, not add";

    key.remove();
    EXPECT_EQ(key.read(), std::nullopt);
    EXPECT_EQ(ss::itemCount(service_, "device-key.one"), 0);
}

TEST_F(KeychainItemTest, ASecondInstanceSeesTheSameItem) {
    item("device-key.shared").write(toBytes("blob"));
    EXPECT_EQ(item("device-key.shared").read(), toBytes("blob"));
}

TEST_F(KeychainItemTest, DeviceIdsOfOneKeyringAreKeptApart) {
    KeychainDeviceKeyring keyring(service_);
    keyring.item("A")->write(toBytes("key of A"));
    keyring.item("B")->write(toBytes("key of B"));
    keyring.item("")->write(toBytes("key of the empty id"));

    EXPECT_EQ(keyring.item("A")->read(), toBytes("key of A"));
    EXPECT_EQ(keyring.item("B")->read(), toBytes("key of B"));
    EXPECT_EQ(keyring.item("")->read(), toBytes("key of the empty id"));
    EXPECT_EQ(item("device-key").read(), std::nullopt) << "the one-key layout is a different item";
    EXPECT_EQ(keyring.item("a")->read(), std::nullopt);

    keyring.item("A")->remove();
    EXPECT_EQ(keyring.item("A")->read(), std::nullopt);
    EXPECT_EQ(keyring.item("B")->read(), toBytes("key of B"));
}

TEST_F(KeychainItemTest, BinaryDataRoundTripsByteForByte) {
    Bytes everyByte;
    for (int value = 255; value >= 0; --value)
        everyByte.push_back(static_cast<std::uint8_t>(value));
    const Bytes cases[] = {
        {0x00},
        {0x30, 0x00, 0x00, 0x41, 0x00},
        everyByte,
    };
    auto key = item("device-key.binary");
    for (const auto& data : cases) {
        key.write(data);
        EXPECT_EQ(key.read(), data);
    }
}

TEST_F(KeychainItemTest, ServicesAreKeptApart) {
    auto other = ss::uniqueServiceName();
    item("device-key").write(toBytes("ours"));
    EXPECT_EQ(KeychainItem(other, "device-key").read(), std::nullopt);
    EXPECT_NO_THROW(KeychainItem(other, "device-key").remove());
    EXPECT_EQ(item("device-key").read(), toBytes("ours"));
}

// A write whose store step fails must leave the key that was there: a delete-then-add would have
// removed it before the add into the missing collection failed.
TEST_F(KeychainItemTest, AWriteThatFailsKeepsTheStoredKey) {
    item("device-key.kept").write(toBytes("the old key"));

    KeychainItem nowhere(service_, "device-key.kept", "/org/freedesktop/secrets/collection/velto_missing");
    try {
        nowhere.write(toBytes("the new key"));
        FAIL() << "expected the store into a missing collection to fail";
    } catch (const KeyStoreError& error) {
        EXPECT_EQ(error.kind(), KeyStoreError::Case::keychain);
        EXPECT_FALSE(error.message().empty());
        EXPECT_EQ(std::string(error.what()).rfind("The login keyring refused the device key: ", 0), 0u);
    }
    EXPECT_EQ(item("device-key.kept").read(), toBytes("the old key"));
    EXPECT_EQ(ss::itemCount(service_, "device-key.kept"), 1);
}

// A locked collection refuses writes; the refused write must leave the stored key in place, and a
// locked key must read as a failure, never as "nothing stored".
TEST_F(KeychainItemTest, ALockedCollectionRefusesWithoutLosingTheStoredKey) {
    if (!ss::isPrivate())
        GTEST_SKIP() << "Locking a collection needs a Secret Service of this run alone "
                        "(VELTO_PRIVATE_SECRET_SERVICE=1, as scripts/with-keyring.sh sets)";
    std::string why;
    auto collection = ss::PrivateCollection::create("Velto key tests", &why);
    ASSERT_TRUE(collection) << "could not make a collection without a prompt: " << why;

    KeychainItem key(service_, "device-key.locked", collection->path());
    key.write(toBytes("the old key"));
    collection->lock();
    // gnome-keyring rescans its folder on a change, at most once a second, and then reloads the locked
    // collection from disk: its items must still be found (by a search that does not ask for the
    // schema name, which it cannot match there).
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    item("device-key.elsewhere").write(toBytes("a key in another collection"));

    auto expectLocked = [](auto operation, const std::string& message) {
        try {
            operation();
            ADD_FAILURE() << "expected the locked collection to refuse: " << message;
        } catch (const KeyStoreError& error) {
            EXPECT_EQ(error.kind(), KeyStoreError::Case::keychain);
            EXPECT_EQ(error.status(), kLockedCode);
            EXPECT_EQ(error.message(), message);
            EXPECT_EQ(std::string(error.what()),
                      "The login keyring refused the device key: " + message + ".");
        }
    };
    expectLocked([&] { key.write(toBytes("the new key")); }, "Cannot create an item in a locked collection");
    expectLocked([&] { (void)key.read(); }, "Cannot read an item in a locked collection");
    expectLocked([&] { key.remove(); }, "Cannot delete an item in a locked collection");
    EXPECT_EQ(ss::itemCount(service_, "device-key.locked"), 1);

    collection->unlock();
    EXPECT_EQ(key.read(), toBytes("the old key"));
}

} // namespace
} // namespace velto::testing
