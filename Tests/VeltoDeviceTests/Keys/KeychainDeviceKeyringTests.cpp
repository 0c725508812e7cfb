#include "VeltoDevice/Keys/KeychainDeviceKeyring.hpp"
#include "VeltoDevice/Keys/KeychainItem.hpp"
#include "VeltoDevice/Keys/MovedDeviceKey.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace velto {
namespace {

TEST(KeychainDeviceKeyring, EachDeviceIdHasItsOwnAccountWithTheIdUnchanged) {
    struct Case {
        std::string deviceId;
        std::string account;
    };
    const Case cases[] = {
        {"3f1c2a", "device-key.3f1c2a"},
        {"", "device-key."},
        {"Dev ICE/é.1", "device-key.Dev ICE/é.1"},
        {"device-key", "device-key.device-key"},
    };
    KeychainDeviceKeyring keyring("service.under.test");
    for (const auto& [deviceId, account] : cases) {
        auto item = std::dynamic_pointer_cast<KeychainItem>(keyring.item(deviceId));
        ASSERT_TRUE(item) << deviceId;
        EXPECT_EQ(*item, KeychainItem("service.under.test", account));
        EXPECT_NE(item->accountName(), KeychainItem::deviceKey().accountName());
    }
}

TEST(KeychainDeviceKeyring, FixedItemsUseTheBundleIdentifiers) {
    EXPECT_EQ(KeychainItem::service(), "app.velto.desktop");
    EXPECT_EQ(KeychainDeviceKeyring::standard()->service(), "app.velto.desktop");
    EXPECT_EQ(KeychainItem::deviceKey(), KeychainItem("app.velto.desktop", "device-key"));
    EXPECT_EQ(KeychainItem::earlierDeviceKey(), KeychainItem("app.velto.agent", "device-key"));
    EXPECT_EQ(KeychainItem::deviceKey().collection(), "default");
}

TEST(MovedDeviceKey, StandardMovesTheEarlierIdentifiersKeyIntoTheOneKeyItemAndIsMadeOnce) {
    std::shared_ptr<MovedDeviceKey> seen[4];
    {
        std::jthread threads[4];
        for (int index = 0; index < 4; ++index)
            threads[index] = std::jthread([&seen, index] { seen[index] = MovedDeviceKey::standard(); });
    }
    for (const auto& storage : seen)
        EXPECT_EQ(storage.get(), MovedDeviceKey::standard().get());

    const auto& standard = MovedDeviceKey::standard();
    auto current = std::dynamic_pointer_cast<KeychainItem>(standard->current());
    auto earlier = std::dynamic_pointer_cast<KeychainItem>(standard->earlier());
    ASSERT_TRUE(current && earlier);
    EXPECT_EQ(*current, KeychainItem::deviceKey());
    EXPECT_EQ(*earlier, KeychainItem::earlierDeviceKey());
}

} // namespace
} // namespace velto
