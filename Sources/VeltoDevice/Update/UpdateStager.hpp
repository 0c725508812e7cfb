#pragma once

#include "VeltoDevice/Support/Clock.hpp"
#include "VeltoDevice/Update/CodeSignatureChecking.hpp"
#include "VeltoDevice/Update/UpdateDownloading.hpp"
#include "VeltoDevice/Update/UpdateStaging.hpp"
#include "VeltoDevice/Update/ZipUnpacker.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/thread_pool.hpp>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace velto {

/// Stages each accepted offer in a private folder of its own under the root, named by a fresh
/// upper-case UUID (mode 0700): the archive is downloaded to "update.zip", must match the offer's
/// digest, is unpacked into "expanded", must hold exactly one app carrying this application's
/// bundle identifier and the offered version, and that app must pass the code signature check.
/// The folder is removed whenever an attempt fails. Folders are made and removed in the blocking pool,
/// in order, on one strand: a removal of a whole bundle never holds up the caller's thread, and no
/// attempt's folder is made before the leftovers posted ahead of it are gone. Holds no mutable state.
class UpdateStager final : public UpdateStaging {
public:
    /// The longest an unpacking may take.
    static constexpr std::chrono::seconds unpackTimeout{120};

    /// Digests and unpacking run on `pool`, the unpacking timed by `clock`; both must outlive the
    /// stager's operations.
    UpdateStager(std::filesystem::path root, std::string bundleIdentifier,
                 std::shared_ptr<UpdateDownloading> downloader,
                 std::shared_ptr<CodeSignatureChecking> signatureCheck, boost::asio::thread_pool& pool,
                 std::shared_ptr<Clock> clock, ZipUnpacker::Limits unpackLimits = ZipUnpacker::Limits{});

    /// The user's Caches folder ($XDG_CACHE_HOME when absolute, else ~/.cache), the bundle identifier,
    /// then "Updates"; with no Caches folder, the same under the private temporary folder (whose
    /// TemporaryFolderError is thrown), never under /tmp itself.
    static std::filesystem::path defaultRoot(std::string_view bundleIdentifier);

    const std::filesystem::path& root() const { return root_; }

    boost::asio::awaitable<StagedUpdate> stage(VerifiedUpdate update) override;
    /// Posts the removal to `folders()` and returns.
    void discard(const StagedUpdate& staged) override;
    /// Removes the whole root; never fails (a missing root included). The next stage makes it again.
    /// Blocking: post it to `folders()` so that it keeps its place before later attempts.
    void removeLeftovers() const;
    /// The strand of the pool on which the stager's folders are made and removed.
    boost::asio::any_io_executor folders() const { return folders_; }

private:
    static void removeFolder(const std::filesystem::path& folder);
    boost::asio::awaitable<StagedUpdate> stageIn(VerifiedUpdate update, std::filesystem::path folder) const;
    boost::asio::awaitable<void> unzip(std::filesystem::path archive, std::filesystem::path folder) const;

    std::filesystem::path root_;
    std::string bundleIdentifier_;
    std::shared_ptr<UpdateDownloading> downloader_;
    std::shared_ptr<CodeSignatureChecking> signatureCheck_;
    boost::asio::thread_pool& pool_;
    boost::asio::any_io_executor folders_;
    std::shared_ptr<Clock> clock_;
    ZipUnpacker::Limits unpackLimits_;
};

} // namespace velto
