#include "VeltoDevice/Keys/KeyStoreError.hpp"
#include "VeltoDevice/Keys/SecureEnclaveKeyStore.hpp"

#include <gtest/gtest.h>

#include "InMemoryKeyring.hpp"

namespace velto::testing {
namespace {

class SecureEnclaveKeyStoreTest : public ::testing::Test {
protected:
    std::shared_ptr<InMemoryKeyring> keyring_ = std::make_shared<InMemoryKeyring>();
    SecureEnclaveKeyStore store_{keyring_};
};

TEST_F(SecureEnclaveKeyStoreTest, AMadeKeySignsVerifiablyAndStoresNothing) {
    auto key = store_.makeKey();
    auto data = toBytes("GET https://velto.example/api");
    auto signature = key.signature(data);

    EXPECT_EQ(signature.rawRepresentation().size(), 64u);
    EXPECT_TRUE(key.publicKey().isValidSignature(signature, data));
    EXPECT_FALSE(key.publicKey().isValidSignature(signature, toBytes("GET https://velto.example/apj")));
    EXPECT_EQ(key.publicKey(), key.privateKey().publicKey());
    EXPECT_TRUE(keyring_->contents().empty());
}

TEST_F(SecureEnclaveKeyStoreTest, EveryMadeKeyIsNew) {
    EXPECT_NE(store_.makeKey().publicKey(), store_.makeKey().publicKey());
}

TEST_F(SecureEnclaveKeyStoreTest, AStoredKeyReopensAsTheSameKey) {
    auto key = store_.makeKey();
    keyring_->item("device-1")->write(key.dataRepresentation());

    auto reopened = store_.existingKey("device-1");
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->publicKey(), key.publicKey());
    EXPECT_EQ(reopened->dataRepresentation(), key.dataRepresentation());
    auto data = toBytes("proof");
    EXPECT_TRUE(key.publicKey().isValidSignature(reopened->signature(data), data));
}

TEST_F(SecureEnclaveKeyStoreTest, NothingStoredIsNothing) {
    EXPECT_EQ(store_.existingKey("device-without-key"), std::nullopt);
    keyring_->item("other")->write(store_.makeKey().dataRepresentation());
    EXPECT_EQ(store_.existingKey("device-without-key"), std::nullopt);
}

TEST_F(SecureEnclaveKeyStoreTest, BytesThatAreNotAKeyAreUnreadable) {
    auto valid = store_.makeKey().dataRepresentation();
    Bytes truncated(valid.begin(), valid.end() - 1);
    Bytes extended = valid;
    extended.push_back(0x00);
    const Bytes cases[] = {{}, toBytes("not a key"), truncated, extended};
    for (const auto& data : cases) {
        keyring_->item("device-1")->write(data);
        try {
            (void)store_.existingKey("device-1");
            ADD_FAILURE() << "expected unreadableKey for " << data.size() << " bytes";
        } catch (const KeyStoreError& error) {
            EXPECT_EQ(error, KeyStoreError::unreadableKey());
        }
    }
}

TEST_F(SecureEnclaveKeyStoreTest, AReadErrorIsPassedOnUnchanged) {
    keyring_->storage("device-1")
        ->failReads(std::make_exception_ptr(KeyStoreError::keychain(-25308, "locked")));
    try {
        (void)store_.existingKey("device-1");
        FAIL() << "expected the read error";
    } catch (const KeyStoreError& error) {
        EXPECT_EQ(error, KeyStoreError::keychain(-25308, "locked"));
    }
}

} // namespace
} // namespace velto::testing
