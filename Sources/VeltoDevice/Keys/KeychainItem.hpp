#pragma once

#include "VeltoDevice/Keys/DeviceKeyStorage.hpp"

#include <string>

namespace velto {

/// One key blob in the Secret Service (the login keyring), found by the attributes "service" and
/// "account". Every call is synchronous and may block while the keyring asks to be unlocked.
/// Failures are KeyStoreError::keychain.
class KeychainItem final : public DeviceKeyStorage {
public:
    /// The collection alias new items go into: the user's login keyring.
    static constexpr const char* kDefaultCollection = "default";

    /// `collection` is an alias or the D-Bus object path of the collection that writes store into.
    KeychainItem(std::string service, std::string account, std::string collection = kDefaultCollection);

    /// The service of the application's items: its bundle identifier.
    static std::string service();
    /// The single key of the earlier one-key layout.
    static KeychainItem deviceKey();
    /// The single key kept under the application's earlier identifier.
    static KeychainItem earlierDeviceKey();

    const std::string& serviceName() const { return service_; }
    const std::string& accountName() const { return account_; }
    const std::string& collection() const { return collection_; }

    /// The stored blob, from whichever collection holds the item. An item that stays locked is an
    /// error, not an absent key.
    std::optional<Bytes> read() const override;
    /// Replaces the item in one call, so a refused write leaves the earlier blob in place.
    void write(const Bytes& data) override;
    /// Deletes every matching item; an item that stays locked is an error.
    void remove() override;

    friend bool operator==(const KeychainItem& a, const KeychainItem& b) {
        return a.service_ == b.service_ && a.account_ == b.account_ && a.collection_ == b.collection_;
    }

private:
    std::string service_;
    std::string account_;
    std::string collection_;
};

} // namespace velto
