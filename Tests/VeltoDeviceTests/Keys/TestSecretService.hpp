#pragma once

#include <optional>
#include <string>

namespace velto::testing {

/// Direct access to the Secret Service of the session bus, for checking what KeychainItem did.
namespace secretservice {

/// Nothing when a Secret Service answers, else why not. Never starts a session bus.
std::optional<std::string> unavailableReason();

/// True when VELTO_REQUIRE_SECRET_SERVICE=1: a missing service is then a failure, not a skip.
bool required();

/// True when VELTO_PRIVATE_SECRET_SERVICE=1: the service belongs to this run alone, so tests may
/// create and lock collections in it.
bool isPrivate();

/// A service name used by no one else, so tests never meet a user's own items.
std::string uniqueServiceName();

/// How many items carry exactly these "service" and "account" values, locked or not.
int itemCount(const std::string& service, const std::string& account);

/// Deletes every item whose "service" is `service`.
void removeAll(const std::string& service);

/// A collection of its own, made and unlocked with a password through gnome-keyring's internal
/// interface (no prompt), deleted again on destruction.
class PrivateCollection {
public:
    /// Nothing when the service cannot make one without a prompt.
    static std::optional<PrivateCollection> create(const std::string& label, std::string* why);

    PrivateCollection(PrivateCollection&& other) noexcept;
    PrivateCollection& operator=(PrivateCollection&&) = delete;
    ~PrivateCollection();

    /// The D-Bus object path, usable wherever libsecret takes a collection.
    const std::string& path() const { return path_; }

    void lock() const;
    void unlock() const;

private:
    PrivateCollection(std::string path, std::string password)
        : path_(std::move(path)), password_(std::move(password)) {}

    std::string path_;
    std::string password_;
};

} // namespace secretservice

} // namespace velto::testing
