#pragma once

#include "VeltoDevice/Support/Clock.hpp"
#include "VeltoDevice/Support/StopFlag.hpp"
#include "VeltoDevice/Update/CodeSignatureChecking.hpp"
#include "VeltoDevice/Update/Ed25519PublicKey.hpp"

#include <boost/asio/thread_pool.hpp>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

namespace velto {

/// The code signature check: the bundle's manifest (BundleManifest) must be signed by the running
/// build's update key and describe the bundle exactly.
class BundleManifestVerification final : public CodeSignatureChecking {
public:
    /// The longest a check may take.
    static constexpr std::chrono::seconds timeout{120};
    /// The largest manifest and signature files read.
    static constexpr std::uintmax_t maximumManifestSize = 64 * 1024 * 1024;
    static constexpr std::uintmax_t maximumSignatureSize = 1024;

    /// Runs each check on `pool`, timed by `clock`; both must outlive the checks.
    BundleManifestVerification(std::optional<Ed25519PublicKey> key, boost::asio::thread_pool& pool,
                               std::shared_ptr<Clock> clock);

    /// `check` on the pool, bounded by `timeout` and by cancellation (which stays Asio's).
    boost::asio::awaitable<void> verify(std::filesystem::path bundle) override;

    /// Passes when the signature verifies; a walk finds exactly the listed entries; every file's
    /// SHA-256 and permission bits match; every link's target matches, is relative and stays inside
    /// the bundle; and CFBundleExecutable is one path part naming a listed file under Contents/bin
    /// that its owner may execute. Otherwise throws UpdateRefusal invalidCodeSignature.
    static void check(const std::filesystem::path& bundle, const std::optional<Ed25519PublicKey>& key,
                      const StopFlag& stop);

private:
    std::optional<Ed25519PublicKey> key_;
    boost::asio::thread_pool& pool_;
    std::shared_ptr<Clock> clock_;
};

} // namespace velto
