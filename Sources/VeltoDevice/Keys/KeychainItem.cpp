#include "VeltoDevice/Keys/KeychainItem.hpp"

#include "VeltoDevice/Keys/KeyStoreError.hpp"
#include "VeltoDevice/Keys/KeychainFailure.hpp"
#include "VeltoDevice/Support/BundleIdentifier.hpp"

#include <libsecret/secret.h>

#include <memory>

namespace velto {

namespace {

constexpr const char* kAccount = "device-key";

// The schema name is part of every stored item (libsecret adds it as "xdg:schema"), so it is fixed
// here rather than derived from the bundle identifier.
SecretSchema makeSchema() {
    SecretSchema schema{};
    schema.name = "app.velto.desktop.DeviceKey";
    schema.flags = SECRET_SCHEMA_NONE;
    schema.attributes[0] = {"service", SECRET_SCHEMA_ATTRIBUTE_STRING};
    schema.attributes[1] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
    return schema;
}

const SecretSchema kSchema = makeSchema();

/// The schema searches use: items are found by their service and account alone. gnome-keyring cannot
/// match the schema name on the items of a locked collection once it has reloaded that collection
/// from disk (it rescans its folder when another keyring changes), so a search that asks for the name
/// finds nothing there, and a locked key would read as no key and "delete" without being deleted.
SecretSchema makeSearchSchema() {
    SecretSchema schema = makeSchema();
    schema.flags = SECRET_SCHEMA_DONT_MATCH_NAME;
    return schema;
}

const SecretSchema kSearchSchema = makeSearchSchema();

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct HashTableUnref {
    void operator()(GHashTable* table) const { g_hash_table_unref(table); }
};
struct ValueUnref {
    void operator()(SecretValue* value) const { secret_value_unref(value); }
};
struct ItemListFree {
    void operator()(GList* items) const { g_list_free_full(items, g_object_unref); }
};

using ServicePtr = std::unique_ptr<SecretService, ObjectUnref>;
using AttributesPtr = std::unique_ptr<GHashTable, HashTableUnref>;
using ValuePtr = std::unique_ptr<SecretValue, ValueUnref>;
using ItemsPtr = std::unique_ptr<GList, ItemListFree>;

/// Throws the keychain error of `error` (and frees it) when a call failed.
void check(GError* error) {
    if (error == nullptr)
        return;
    KeyStoreError failure = keychainFailure(error);
    g_error_free(error);
    throw failure;
}

// Locked items are reported with libsecret's own code for them, in its own words.
[[noreturn]] void throwLocked(const char* message) {
    throw KeyStoreError::keychain(SECRET_ERROR_IS_LOCKED, message);
}

/// The attribute table; its strings point into the item, which outlives every call.
AttributesPtr attributes(const std::string& service, const std::string& account) {
    AttributesPtr table(g_hash_table_new(g_str_hash, g_str_equal));
    g_hash_table_insert(table.get(), const_cast<char*>("service"), const_cast<char*>(service.c_str()));
    g_hash_table_insert(table.get(), const_cast<char*>("account"), const_cast<char*>(account.c_str()));
    return table;
}

ServicePtr connect(SecretServiceFlags flags) {
    GError* error = nullptr;
    ServicePtr service(secret_service_get_sync(flags, nullptr, &error));
    check(error);
    return service;
}

/// Every item with these attributes in any collection, unlocked where the keyring lets it be.
ItemsPtr search(SecretService* service, GHashTable* table, bool loadSecrets) {
    auto flags = static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_UNLOCK |
                                                (loadSecrets ? SECRET_SEARCH_LOAD_SECRETS : 0));
    GError* error = nullptr;
    ItemsPtr items(secret_service_search_sync(service, &kSearchSchema, table, flags, nullptr, &error));
    check(error);
    return items;
}

} // namespace

KeychainItem::KeychainItem(std::string service, std::string account, std::string collection)
    : service_(std::move(service)), account_(std::move(account)), collection_(std::move(collection)) {}

std::string KeychainItem::service() {
    return kBundleIdentifier;
}

KeychainItem KeychainItem::deviceKey() {
    return KeychainItem(service(), kAccount);
}

KeychainItem KeychainItem::earlierDeviceKey() {
    return KeychainItem(kEarlierBundleIdentifier, kAccount);
}

std::optional<Bytes> KeychainItem::read() const {
    auto service = connect(SECRET_SERVICE_OPEN_SESSION);
    auto table = attributes(service_, account_);
    auto items = search(service.get(), table.get(), true);
    if (!items)
        return std::nullopt;
    for (GList* entry = items.get(); entry != nullptr; entry = entry->next) {
        auto* item = static_cast<SecretItem*>(entry->data);
        if (secret_item_get_locked(item))
            continue;
        ValuePtr value(secret_item_get_secret(item));
        if (!value)
            throw KeyStoreError::keychain(0);
        gsize length = 0;
        const gchar* bytes = secret_value_get(value.get(), &length);
        const auto* first = reinterpret_cast<const std::uint8_t*>(bytes);
        return Bytes(first, first + length);
    }
    throwLocked("Cannot read an item in a locked collection");
}

void KeychainItem::write(const Bytes& data) {
    auto table = attributes(service_, account_);
    ValuePtr value(secret_value_new(reinterpret_cast<const gchar*>(data.data()),
                                    static_cast<gssize>(data.size()), "application/octet-stream"));
    std::string label = "Velto device key (" + account_ + ")";
    GError* error = nullptr;
    // The store replaces an item with the same attributes in the same call: no moment without a key.
    gboolean stored = secret_password_storev_binary_sync(&kSchema, table.get(), collection_.c_str(),
                                                         label.c_str(), value.get(), nullptr, &error);
    check(error);
    if (!stored)
        throw KeyStoreError::keychain(0);
}

void KeychainItem::remove() {
    auto service = connect(SECRET_SERVICE_NONE);
    auto table = attributes(service_, account_);
    auto items = search(service.get(), table.get(), false);
    // A locked item cannot be deleted; saying so beats reporting a removal that did not happen.
    for (GList* entry = items.get(); entry != nullptr; entry = entry->next) {
        if (secret_item_get_locked(static_cast<SecretItem*>(entry->data)))
            throwLocked("Cannot delete an item in a locked collection");
    }
    for (GList* entry = items.get(); entry != nullptr; entry = entry->next) {
        GError* error = nullptr;
        secret_item_delete_sync(static_cast<SecretItem*>(entry->data), nullptr, &error);
        check(error);
    }
}

} // namespace velto
