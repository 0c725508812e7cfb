#pragma once

#include "VeltoDevice/Support/Error.hpp"

#include <string>

namespace velto {

/// A device key that could not be made, stored or reopened.
class KeyStoreError : public Error {
public:
    enum class Case { keychain, secureEnclaveUnavailable, keyCreationFailed, unreadableKey };

    /// The keyring refused an operation: the Secret Service error's code and message (which may be
    /// empty, and is then shown as the code).
    static KeyStoreError keychain(int status, std::string message = {});
    static KeyStoreError secureEnclaveUnavailable();
    static KeyStoreError keyCreationFailed();
    static KeyStoreError unreadableKey();

    Case kind() const { return kind_; }
    /// The code of keychain.
    int status() const { return status_; }
    /// The message of keychain.
    const std::string& message() const { return message_; }

    friend bool operator==(const KeyStoreError& a, const KeyStoreError& b) {
        return a.kind_ == b.kind_ && a.status_ == b.status_ && a.message_ == b.message_;
    }

private:
    KeyStoreError(Case kind, int status, std::string message);

    Case kind_;
    int status_ = 0;
    std::string message_;
};

} // namespace velto
