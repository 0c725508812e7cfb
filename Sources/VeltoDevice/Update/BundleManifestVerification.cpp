#include "VeltoDevice/Update/BundleManifestVerification.hpp"

#include "VeltoDevice/Support/AppBundle.hpp"
#include "VeltoDevice/Support/Base64.hpp"
#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/BundlePath.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/Files.hpp"
#include "VeltoDevice/Support/WithTimeout.hpp"
#include "VeltoDevice/Update/BundleContents.hpp"
#include "VeltoDevice/Update/BundleManifest.hpp"
#include "VeltoDevice/Update/UpdateDigest.hpp"
#include "VeltoDevice/Update/UpdateRefusal.hpp"

#include <boost/asio/error.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/system/system_error.hpp>

#include <sys/stat.h>

namespace velto {

namespace {

using Type = BundleManifestEntry::Type;

[[noreturn]] void refuse() {
    throw UpdateRefusal(UpdateRefusal::Case::invalidCodeSignature);
}

BundleManifest signedManifest(const std::filesystem::path& bundle, const Ed25519PublicKey& key) {
    struct stat folder {};
    if (::lstat((bundle / BundleManifest::folderPath).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        refuse();
    auto signatureText = files::readBounded(bundle / BundleManifest::signaturePath,
                                            BundleManifestVerification::maximumSignatureSize, false);
    auto bytes = files::readBounded(bundle / BundleManifest::manifestPath,
                                    BundleManifestVerification::maximumManifestSize, false);
    if (!signatureText || !bytes)
        refuse();
    auto signature = Base64::decode(*signatureText);
    if (!signature || !key.isValidSignature(*signature, BundleManifest::signedMessage(*bytes)))
        refuse();
    auto manifest = BundleManifest::parse(*bytes);
    if (!manifest)
        refuse();
    return std::move(*manifest);
}

void checkEntry(const std::filesystem::path& bundle, const std::string& path,
                const BundleManifestEntry& found, const BundleManifestEntry& listed, const StopFlag& stop) {
    if (found.type != listed.type)
        refuse();
    switch (listed.type) {
    case Type::file:
        if (found.mode != listed.mode || UpdateDigest::sha256Hex(bundle / path, stop) != listed.sha256)
            refuse();
        break;
    case Type::link:
        if (found.target != listed.target || !BundlePath::linkStaysInside(bundle, path))
            refuse();
        break;
    case Type::folder:
        break;
    case Type::other:
        refuse();
    }
}

void checkExecutable(const std::filesystem::path& bundle, const BundleManifest& manifest) {
    auto name = AppBundle::executableName(bundle);
    if (!name)
        refuse();
    auto listed = manifest.entries.find(std::string(AppBundle::executableFolder) + "/" + *name);
    if (listed == manifest.entries.end() || listed->second.type != Type::file ||
        ((listed->second.mode[0] - '0') & 1) == 0)
        refuse();
}

} // namespace

BundleManifestVerification::BundleManifestVerification(std::optional<Ed25519PublicKey> key,
                                                       boost::asio::thread_pool& pool,
                                                       std::shared_ptr<Clock> clock)
    : key_(std::move(key)), pool_(pool), clock_(std::move(clock)) {}

boost::asio::awaitable<void> BundleManifestVerification::verify(std::filesystem::path bundle) {
    try {
        auto checkBundle = [key = key_, bundle](const StopFlag& stop) { check(bundle, key, stop); };
        auto work = onPoolUntilStopped(pool_, std::move(checkBundle));
        co_await withTimeout(*clock_, timeout, UpdateRefusal(UpdateRefusal::Case::invalidCodeSignature),
                             std::move(work));
    } catch (const UpdateRefusal&) {
        throw;
    } catch (...) {
        if (isCancellation(std::current_exception()))
            throw;
        refuse();
    }
}

void BundleManifestVerification::check(const std::filesystem::path& bundle,
                                       const std::optional<Ed25519PublicKey>& key, const StopFlag& stop) {
    if (!key)
        refuse();
    auto manifest = signedManifest(bundle, *key);
    std::map<std::string, BundleManifestEntry> found;
    try {
        found = BundleContents::walk(bundle, stop);
    } catch (const boost::system::system_error&) {
        throw; // the stop
    } catch (const std::runtime_error&) {
        refuse();
    }
    if (found.size() != manifest.entries.size())
        refuse();
    for (const auto& [path, entry] : found) {
        auto listed = manifest.entries.find(path);
        if (listed == manifest.entries.end())
            refuse();
        try {
            checkEntry(bundle, path, entry, listed->second, stop);
        } catch (const std::system_error&) {
            // A listed file that cannot be read does not match its digest.
            refuse();
        }
    }
    checkExecutable(bundle, manifest);
}

} // namespace velto
