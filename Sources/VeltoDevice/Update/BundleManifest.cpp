#include "VeltoDevice/Update/BundleManifest.hpp"

#include "VeltoDevice/Support/BundlePath.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <algorithm>
#include <set>

namespace velto {

namespace {

using Type = BundleManifestEntry::Type;

bool isDigest(const std::string& text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

bool isMode(const std::string& text) {
    return text.size() == 3 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '7'; });
}

bool hasExactlyKeys(const Json& object, const std::set<std::string>& keys) {
    if (object.size() != keys.size())
        return false;
    return std::all_of(object.items().begin(), object.items().end(),
                       [&](const auto& item) { return keys.count(item.key()) > 0; });
}

std::optional<BundleManifestEntry> entryOf(const Json& value) {
    if (!value.is_object())
        return std::nullopt;
    auto type = json::string(value, "type");
    BundleManifestEntry entry;
    if (type == "file" && hasExactlyKeys(value, {"type", "sha256", "mode"})) {
        entry.type = Type::file;
        entry.sha256 = json::string(value, "sha256").value_or("");
        entry.mode = json::string(value, "mode").value_or("");
        if (!isDigest(entry.sha256) || !isMode(entry.mode))
            return std::nullopt;
    } else if (type == "link" && hasExactlyKeys(value, {"type", "target"})) {
        entry.type = Type::link;
        auto target = json::string(value, "target");
        if (!target || target->empty())
            return std::nullopt;
        entry.target = *target;
    } else if (type == "folder" && hasExactlyKeys(value, {"type"})) {
        entry.type = Type::folder;
    } else {
        return std::nullopt;
    }
    return entry;
}

bool isSignatureFile(std::string_view path) {
    return path == BundleManifest::folderPath || path == BundleManifest::manifestPath ||
           path == BundleManifest::signaturePath;
}

} // namespace

std::optional<BundleManifest> BundleManifest::parse(std::string_view bytes) {
    auto document = parseJson(bytes);
    if (!document || !document->is_object() || !hasExactlyKeys(*document, {"v", "entries"}) ||
        json::integer(*document, "v") != 1 || !(*document)["entries"].is_object())
        return std::nullopt;
    BundleManifest manifest;
    for (const auto& [path, value] : (*document)["entries"].items()) {
        if (BundlePath::parts(path).empty() || isSignatureFile(path))
            return std::nullopt;
        auto entry = entryOf(value);
        if (!entry)
            return std::nullopt;
        manifest.entries.emplace(path, std::move(*entry));
    }
    return manifest;
}

std::string BundleManifest::encode() const {
    Json listed = Json::object();
    for (const auto& [path, entry] : entries) {
        switch (entry.type) {
        case Type::file:
            listed[path] = {{"type", "file"}, {"sha256", entry.sha256}, {"mode", entry.mode}};
            break;
        case Type::link:
            listed[path] = {{"type", "link"}, {"target", entry.target}};
            break;
        case Type::folder:
            listed[path] = {{"type", "folder"}};
            break;
        case Type::other:
            throw std::invalid_argument("a manifest lists only files, links and folders");
        }
    }
    return encodeCompact({{"v", 1}, {"entries", std::move(listed)}});
}

std::string BundleManifest::signedMessage(std::string_view manifestBytes) {
    std::string message(signingPrefix);
    message += manifestBytes;
    return message;
}

} // namespace velto
