#include "VeltoDevice/Keys/KeyStoreError.hpp"
#include "VeltoDevice/Keys/MovedDeviceKey.hpp"

#include <gtest/gtest.h>

#include "InMemoryKeyStorage.hpp"

namespace velto::testing {
namespace {

class MovedDeviceKeyTest : public ::testing::Test {
protected:
    std::shared_ptr<InMemoryKeyStorage> current_ = std::make_shared<InMemoryKeyStorage>();
    std::shared_ptr<InMemoryKeyStorage> earlier_ = std::make_shared<InMemoryKeyStorage>();
    MovedDeviceKey moved_{current_, earlier_};

    static std::exception_ptr refused(int status) {
        return std::make_exception_ptr(KeyStoreError::keychain(status, "refused"));
    }
};

TEST_F(MovedDeviceKeyTest, ReadMovesTheEarlierKeyOnceAndThenReadsCurrentOnly) {
    earlier_->setContents(toBytes("old key"));

    EXPECT_EQ(moved_.read(), toBytes("old key"));
    EXPECT_EQ(current_->contents(), toBytes("old key"));
    EXPECT_EQ(earlier_->contents(), std::nullopt);
    EXPECT_EQ(earlier_->removeCount(), 1);

    int earlierReads = earlier_->readCount();
    EXPECT_EQ(moved_.read(), toBytes("old key"));
    EXPECT_EQ(earlier_->readCount(), earlierReads) << "the second read must not touch earlier";
}

TEST_F(MovedDeviceKeyTest, ReadPrefersCurrentAndLeavesEarlierAlone) {
    current_->setContents(toBytes("new key"));
    earlier_->setContents(toBytes("old key"));

    EXPECT_EQ(moved_.read(), toBytes("new key"));
    EXPECT_EQ(earlier_->readCount(), 0);
    EXPECT_EQ(earlier_->contents(), toBytes("old key"));
}

TEST_F(MovedDeviceKeyTest, ReadOfNothingAnywhereIsNothingAndWritesNothing) {
    EXPECT_EQ(moved_.read(), std::nullopt);
    EXPECT_EQ(current_->writeCount(), 0);
    EXPECT_EQ(earlier_->removeCount(), 0);
}

TEST_F(MovedDeviceKeyTest, ReadStillReturnsTheKeyWhenDeletingEarlierFails) {
    earlier_->setContents(toBytes("old key"));
    earlier_->failRemoves(refused(-1));

    EXPECT_EQ(moved_.read(), toBytes("old key"));
    EXPECT_EQ(current_->contents(), toBytes("old key"));
}

TEST_F(MovedDeviceKeyTest, ReadReportsAFailedMoveAndKeepsTheEarlierKey) {
    earlier_->setContents(toBytes("old key"));
    current_->failWrites(refused(-2));

    try {
        (void)moved_.read();
        FAIL() << "expected the write's error";
    } catch (const KeyStoreError& error) {
        EXPECT_EQ(error, KeyStoreError::keychain(-2, "refused"));
    }
    EXPECT_EQ(earlier_->contents(), toBytes("old key"));
    EXPECT_EQ(earlier_->removeCount(), 0);
}

TEST_F(MovedDeviceKeyTest, ReadPassesOnReadErrors) {
    struct Case {
        bool failCurrent;
        int status;
    };
    for (auto [failCurrent, status] : {Case{true, -3}, Case{false, -4}}) {
        auto current = std::make_shared<InMemoryKeyStorage>();
        auto earlier = std::make_shared<InMemoryKeyStorage>(toBytes("old key"));
        (failCurrent ? current : earlier)->failReads(refused(status));
        MovedDeviceKey moved(current, earlier);
        try {
            (void)moved.read();
            ADD_FAILURE() << "expected the read error " << status;
        } catch (const KeyStoreError& error) {
            EXPECT_EQ(error.status(), status);
        }
        EXPECT_EQ(earlier->readCount(), failCurrent ? 0 : 1);
        EXPECT_EQ(earlier->contents(), toBytes("old key"));
        EXPECT_EQ(current->contents(), std::nullopt);
    }
}

TEST_F(MovedDeviceKeyTest, WriteGoesToCurrentOnly) {
    earlier_->setContents(toBytes("old key"));
    moved_.write(toBytes("new key"));
    EXPECT_EQ(current_->contents(), toBytes("new key"));
    EXPECT_EQ(earlier_->contents(), toBytes("old key"));
    EXPECT_EQ(earlier_->readCount() + earlier_->writeCount() + earlier_->removeCount(), 0);

    current_->failWrites(refused(-5));
    EXPECT_THROW(moved_.write(toBytes("newer key")), KeyStoreError);
    EXPECT_EQ(current_->contents(), toBytes("new key"));
}

TEST_F(MovedDeviceKeyTest, DeleteRemovesBothAndIgnoresOnlyEarliersFailure) {
    current_->setContents(toBytes("new key"));
    earlier_->setContents(toBytes("old key"));
    moved_.remove();
    EXPECT_EQ(current_->contents(), std::nullopt);
    EXPECT_EQ(earlier_->contents(), std::nullopt);

    current_->setContents(toBytes("new key"));
    earlier_->failRemoves(refused(-6));
    EXPECT_NO_THROW(moved_.remove());
    EXPECT_EQ(current_->contents(), std::nullopt);
}

TEST_F(MovedDeviceKeyTest, DeleteReportsCurrentsFailureWithoutTouchingEarlier) {
    current_->setContents(toBytes("new key"));
    earlier_->setContents(toBytes("old key"));
    current_->failRemoves(refused(-7));

    EXPECT_THROW(moved_.remove(), KeyStoreError);
    EXPECT_EQ(current_->contents(), toBytes("new key"));
    EXPECT_EQ(earlier_->removeCount(), 0);
    EXPECT_EQ(earlier_->contents(), toBytes("old key"));
}

} // namespace
} // namespace velto::testing
