#include "VeltoDevice/Keys/KeyStoreError.hpp"
#include "VeltoDevice/Keys/KeychainFailure.hpp"

#include <gtest/gtest.h>

#include <gio/gio.h>

namespace velto {
namespace {

TEST(KeyStoreError, Descriptions) {
    struct Case {
        KeyStoreError error;
        std::string text;
    };
    const Case cases[] = {
        {KeyStoreError::keychain(2, "Cannot create an item in a locked collection"),
         "The login keyring refused the device key: Cannot create an item in a locked collection."},
        {KeyStoreError::keychain(-25300), "The login keyring refused the device key: status -25300."},
        {KeyStoreError::keychain(0), "The login keyring refused the device key: status 0."},
        {KeyStoreError::secureEnclaveUnavailable(), "This computer cannot make a Velto device key."},
        {KeyStoreError::keyCreationFailed(), "Velto could not create this computer's device key."},
        {KeyStoreError::unreadableKey(),
         "The device key in the keyring no longer opens on this computer. Enroll it again."},
    };
    for (const auto& [error, text] : cases) {
        EXPECT_EQ(std::string(error.what()), text);
        EXPECT_EQ(error.description(), text);
    }
}

TEST(KeyStoreError, EqualityComparesCaseCodeAndMessage) {
    EXPECT_EQ(KeyStoreError::keychain(3, "x"), KeyStoreError::keychain(3, "x"));
    EXPECT_FALSE(KeyStoreError::keychain(3, "x") == KeyStoreError::keychain(4, "x"));
    EXPECT_FALSE(KeyStoreError::keychain(3, "x") == KeyStoreError::keychain(3, "y"));
    EXPECT_FALSE(KeyStoreError::keychain(0) == KeyStoreError::unreadableKey());
    EXPECT_FALSE(KeyStoreError::keyCreationFailed() == KeyStoreError::secureEnclaveUnavailable());
    EXPECT_EQ(KeyStoreError::keychain(7, "m").status(), 7);
    EXPECT_EQ(KeyStoreError::keychain(7, "m").message(), "m");
    EXPECT_EQ(KeyStoreError::unreadableKey().kind(), KeyStoreError::Case::unreadableKey);
}

TEST(KeychainFailure, CarriesTheCodeAndTheMessageWithoutTheDBusErrorName) {
    GError* remote = g_dbus_error_new_for_dbus_error("org.freedesktop.DBus.Error.ServiceUnknown",
                                                     "The name org.freedesktop.secrets was not provided");
    auto fromRemote = keychainFailure(remote);
    EXPECT_EQ(fromRemote.kind(), KeyStoreError::Case::keychain);
    EXPECT_EQ(fromRemote.status(), remote->code);
    EXPECT_EQ(fromRemote.message(), "The name org.freedesktop.secrets was not provided");
    EXPECT_EQ(std::string(fromRemote.what()),
              "The login keyring refused the device key: The name org.freedesktop.secrets was not provided.");
    EXPECT_NE(std::string(remote->message).find("GDBus.Error:"), std::string::npos)
        << "the error itself stays untouched";
    g_error_free(remote);

    GError* local = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_FOUND, "Could not connect: No such file");
    EXPECT_EQ(keychainFailure(local),
              KeyStoreError::keychain(G_IO_ERROR_NOT_FOUND, "Could not connect: No such file"));
    g_error_free(local);

    GError* silent = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_FAILED, "");
    EXPECT_EQ(std::string(keychainFailure(silent).what()),
              "The login keyring refused the device key: status " + std::to_string(G_IO_ERROR_FAILED) + ".");
    g_error_free(silent);

    EXPECT_EQ(keychainFailure(nullptr), KeyStoreError::keychain(0));
}

} // namespace
} // namespace velto
