#include "VeltoDevice/Keys/KeychainFailure.hpp"

#include <gio/gio.h>

namespace velto {

KeyStoreError keychainFailure(const GError* error) {
    if (error == nullptr)
        return KeyStoreError::keychain(0);
    GError* copy = g_error_copy(error);
    g_dbus_error_strip_remote_error(copy);
    std::string message = copy->message != nullptr ? copy->message : "";
    int code = copy->code;
    g_error_free(copy);
    return KeyStoreError::keychain(code, std::move(message));
}

} // namespace velto
