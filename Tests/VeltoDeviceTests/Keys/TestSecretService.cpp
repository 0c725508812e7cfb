#include "TestSecretService.hpp"

// The internal interface takes its password as a secret of our session, encoded by libsecret.
#define SECRET_API_SUBJECT_TO_CHANGE
#include <libsecret/secret.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <unistd.h>

namespace velto::testing::secretservice {

namespace {

constexpr const char* kInternalInterface = "org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface";

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct HashTableUnref {
    void operator()(GHashTable* table) const { g_hash_table_unref(table); }
};
struct ItemListFree {
    void operator()(GList* items) const { g_list_free_full(items, g_object_unref); }
};
struct ValueUnref {
    void operator()(SecretValue* value) const { secret_value_unref(value); }
};

using ServicePtr = std::unique_ptr<SecretService, ObjectUnref>;
using AttributesPtr = std::unique_ptr<GHashTable, HashTableUnref>;
using ItemsPtr = std::unique_ptr<GList, ItemListFree>;

std::string take(GError* error) {
    std::string message = error->message;
    g_error_free(error);
    return message;
}

void check(GError* error, const char* what) {
    if (error != nullptr)
        throw std::runtime_error(std::string(what) + ": " + take(error));
}

bool envIsOne(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && std::string(value) == "1";
}

ServicePtr service() {
    GError* error = nullptr;
    ServicePtr service(secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, &error));
    check(error, "the Secret Service");
    return service;
}

AttributesPtr attributes(const std::string& service, const std::string* account) {
    AttributesPtr table(g_hash_table_new(g_str_hash, g_str_equal));
    g_hash_table_insert(table.get(), const_cast<char*>("service"), const_cast<char*>(service.c_str()));
    if (account != nullptr)
        g_hash_table_insert(table.get(), const_cast<char*>("account"), const_cast<char*>(account->c_str()));
    return table;
}

// Any schema: what is found is decided by the attributes alone.
ItemsPtr search(GHashTable* table) {
    GError* error = nullptr;
    ItemsPtr items(
        secret_service_search_sync(service().get(), nullptr, table, SECRET_SEARCH_ALL, nullptr, &error));
    check(error, "searching");
    return items;
}

/// Calls a method of the internal interface; `arguments` builds its arguments around the password,
/// given as a secret of our session.
template <typename Arguments>
GVariant* callInternal(const char* method, const std::string& password, Arguments arguments,
                       const GVariantType* replyType, GError** error) {
    auto secretService = service();
    std::unique_ptr<SecretValue, ValueUnref> value(
        secret_value_new(password.c_str(), static_cast<gssize>(password.size()), "text/plain"));
    GVariant* secret = secret_service_encode_dbus_secret(secretService.get(), value.get());
    GDBusConnection* connection = g_dbus_proxy_get_connection(G_DBUS_PROXY(secretService.get()));
    return g_dbus_connection_call_sync(connection, "org.freedesktop.secrets", "/org/freedesktop/secrets",
                                       kInternalInterface, method, arguments(secret), replyType,
                                       G_DBUS_CALL_FLAGS_NONE, -1, nullptr, error);
}

std::unique_ptr<SecretCollection, ObjectUnref> collectionAt(const std::string& path) {
    GError* error = nullptr;
    std::unique_ptr<SecretCollection, ObjectUnref> collection(secret_collection_new_for_dbus_path_sync(
        service().get(), path.c_str(), SECRET_COLLECTION_NONE, nullptr, &error));
    check(error, "opening the collection");
    return collection;
}

} // namespace

std::optional<std::string> unavailableReason() {
    // Without a session bus GLib would try to launch one, which a test must never leave behind.
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    bool hasBus = (address != nullptr && *address != '\0') ||
                  (runtime != nullptr && std::filesystem::exists(std::filesystem::path(runtime) / "bus"));
    if (!hasBus)
        return "there is no session bus";
    GError* error = nullptr;
    ServicePtr answered(secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, &error));
    if (error != nullptr)
        return take(error);
    return std::nullopt;
}

bool required() {
    return envIsOne("VELTO_REQUIRE_SECRET_SERVICE");
}

bool isPrivate() {
    return envIsOne("VELTO_PRIVATE_SECRET_SERVICE");
}

std::string uniqueServiceName() {
    std::random_device random;
    return "app.velto.desktop.tests." + std::to_string(getpid()) + "." + std::to_string(random());
}

int itemCount(const std::string& service, const std::string& account) {
    auto table = attributes(service, &account);
    auto items = search(table.get());
    return static_cast<int>(g_list_length(items.get()));
}

void removeAll(const std::string& service) {
    auto table = attributes(service, nullptr);
    auto items = search(table.get());
    for (GList* entry = items.get(); entry != nullptr; entry = entry->next) {
        GError* error = nullptr;
        secret_item_delete_sync(static_cast<SecretItem*>(entry->data), nullptr, &error);
        if (error != nullptr)
            g_error_free(error);
    }
}

std::optional<PrivateCollection> PrivateCollection::create(const std::string& label, std::string* why) {
    std::random_device random;
    std::string password = "velto-" + std::to_string(random());
    GError* error = nullptr;
    auto arguments = [&label](GVariant* secret) {
        GVariantBuilder properties;
        g_variant_builder_init(&properties, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(&properties, "{sv}", "org.freedesktop.Secret.Collection.Label",
                              g_variant_new_string(label.c_str()));
        return g_variant_new("(a{sv}@(oayays))", &properties, secret);
    };
    GVariant* reply =
        callInternal("CreateWithMasterPassword", password, arguments, G_VARIANT_TYPE("(o)"), &error);
    if (reply == nullptr) {
        *why = take(error);
        return std::nullopt;
    }
    const gchar* path = nullptr;
    g_variant_get(reply, "(&o)", &path);
    PrivateCollection collection(path, std::move(password));
    g_variant_unref(reply);
    return collection;
}

PrivateCollection::PrivateCollection(PrivateCollection&& other) noexcept
    : path_(std::move(other.path_)), password_(std::move(other.password_)) {
    other.path_.clear();
}

PrivateCollection::~PrivateCollection() {
    if (path_.empty())
        return;
    try {
        unlock();
        auto collection = collectionAt(path_);
        GError* error = nullptr;
        secret_collection_delete_sync(collection.get(), nullptr, &error);
        if (error != nullptr)
            g_error_free(error);
    } catch (const std::exception&) {
        // Nothing more can be done about a collection that will not go.
    }
}

void PrivateCollection::lock() const {
    auto collection = collectionAt(path_);
    GList* objects = g_list_append(nullptr, collection.get());
    GError* error = nullptr;
    secret_service_lock_sync(service().get(), objects, nullptr, nullptr, &error);
    g_list_free(objects);
    check(error, "locking");
}

void PrivateCollection::unlock() const {
    GError* error = nullptr;
    auto arguments = [this](GVariant* secret) {
        return g_variant_new("(o@(oayays))", path_.c_str(), secret);
    };
    GVariant* reply = callInternal("UnlockWithMasterPassword", password_, arguments, nullptr, &error);
    check(error, "unlocking");
    g_variant_unref(reply);
}

} // namespace velto::testing::secretservice
