#include "VeltoDevice/Keys/KeyStoreError.hpp"

namespace velto {

namespace {

std::string describe(KeyStoreError::Case kind, int status, const std::string& message) {
    switch (kind) {
    case KeyStoreError::Case::keychain:
        return "The login keyring refused the device key: " +
               (message.empty() ? "status " + std::to_string(status) : message) + ".";
    case KeyStoreError::Case::secureEnclaveUnavailable:
        return "This computer cannot make a Velto device key.";
    case KeyStoreError::Case::keyCreationFailed:
        return "Velto could not create this computer's device key.";
    case KeyStoreError::Case::unreadableKey:
        return "The device key in the keyring no longer opens on this computer. Enroll it again.";
    }
    return {};
}

} // namespace

KeyStoreError::KeyStoreError(Case kind, int status, std::string message)
    : Error(describe(kind, status, message)), kind_(kind), status_(status), message_(std::move(message)) {}

KeyStoreError KeyStoreError::keychain(int status, std::string message) {
    return {Case::keychain, status, std::move(message)};
}
KeyStoreError KeyStoreError::secureEnclaveUnavailable() {
    return {Case::secureEnclaveUnavailable, 0, {}};
}
KeyStoreError KeyStoreError::keyCreationFailed() {
    return {Case::keyCreationFailed, 0, {}};
}
KeyStoreError KeyStoreError::unreadableKey() {
    return {Case::unreadableKey, 0, {}};
}

} // namespace velto
