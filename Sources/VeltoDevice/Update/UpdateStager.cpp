#include "VeltoDevice/Update/UpdateStager.hpp"

#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/FileError.hpp"
#include "VeltoDevice/Support/Files.hpp"
#include "VeltoDevice/Support/PrivateTemporaryFolder.hpp"
#include "VeltoDevice/Support/RandomUUID.hpp"
#include "VeltoDevice/Support/UserFolders.hpp"
#include "VeltoDevice/Support/WithTimeout.hpp"
#include "VeltoDevice/Update/StagedBundle.hpp"
#include "VeltoDevice/Update/TreeRemoval.hpp"
#include "VeltoDevice/Update/UpdateDigest.hpp"
#include "VeltoDevice/Update/UpdateRefusal.hpp"

#include <boost/asio/post.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/this_coro.hpp>

#include <cerrno>
#include <sys/stat.h>
#include <system_error>

namespace velto {

namespace asio = boost::asio;

namespace {

using Case = UpdateRefusal::Case;

asio::awaitable<void> throwIfCancelled() {
    auto state = co_await asio::this_coro::cancellation_state;
    if (state.cancelled() != asio::cancellation_type::none)
        throwCancellation();
}

} // namespace

UpdateStager::UpdateStager(std::filesystem::path root, std::string bundleIdentifier,
                           std::shared_ptr<UpdateDownloading> downloader,
                           std::shared_ptr<CodeSignatureChecking> signatureCheck, asio::thread_pool& pool,
                           std::shared_ptr<Clock> clock, ZipUnpacker::Limits unpackLimits)
    : root_(std::move(root)), bundleIdentifier_(std::move(bundleIdentifier)),
      downloader_(std::move(downloader)), signatureCheck_(std::move(signatureCheck)), pool_(pool),
      folders_(asio::make_strand(pool.get_executor())), clock_(std::move(clock)),
      unpackLimits_(unpackLimits) {}

std::filesystem::path UpdateStager::defaultRoot(std::string_view bundleIdentifier) {
    auto caches = UserFolders::cacheHome();
    return (caches ? *caches : PrivateTemporaryFolder::path()) / bundleIdentifier / "Updates";
}

asio::awaitable<StagedUpdate> UpdateStager::stage(VerifiedUpdate update) {
    auto folder = root_ / randomUUID();
    auto making = [root = root_, folder] {
        std::filesystem::create_directories(root);
        if (::mkdir(folder.c_str(), 0700) != 0)
            throw std::system_error(errno, std::generic_category(), "mkdir");
    };
    co_await runBlocking(folders_, std::move(making));
    std::exception_ptr failure;
    try {
        co_return co_await stageIn(std::move(update), folder);
    } catch (...) {
        failure = std::current_exception();
    }
    // Also after a cancellation, when every co_await would throw at once: a failed attempt leaves no
    // folder behind.
    const bool throwing = co_await asio::this_coro::throw_if_cancelled();
    co_await asio::this_coro::throw_if_cancelled(false);
    auto removing = [folder] { removeFolder(folder); };
    co_await runBlocking(folders_, std::move(removing));
    co_await asio::this_coro::throw_if_cancelled(throwing);
    std::rethrow_exception(failure);
}

asio::awaitable<StagedUpdate> UpdateStager::stageIn(VerifiedUpdate update,
                                                    std::filesystem::path folder) const {
    auto archive = folder / "update.zip";
    co_await downloader_->download(update.url, archive);
    co_await throwIfCancelled();
    auto digestOfArchive = [archive] { return UpdateDigest::sha256Hex(archive); };
    auto digest = co_await onPool(pool_, std::move(digestOfArchive));
    if (digest != update.sha256)
        throw UpdateRefusal(Case::digestMismatch);
    auto expanded = folder / "expanded";
    co_await unzip(archive, expanded);
    auto app = StagedBundle::onlyApp(expanded);
    StagedBundle::check(app, bundleIdentifier_, update.version);
    co_await signatureCheck_->verify(app);
    co_await throwIfCancelled();
    co_return StagedUpdate{update.version, app, folder};
}

asio::awaitable<void> UpdateStager::unzip(std::filesystem::path archive, std::filesystem::path folder) const {
    auto limits = unpackLimits_;
    std::exception_ptr failure;
    try {
        auto unpack = [archive, folder, limits](const StopFlag& stop) {
            ZipUnpacker::unpack(archive, folder, stop, limits);
        };
        auto work = onPoolUntilStopped(pool_, std::move(unpack));
        co_await withTimeout(*clock_, unpackTimeout, UpdateRefusal(Case::unzipFailed), std::move(work));
        co_return;
    } catch (...) {
        failure = std::current_exception();
    }
    if (isCancellation(failure))
        std::rethrow_exception(failure);
    co_await throwIfCancelled();
    throw UpdateRefusal(Case::unzipFailed);
}

void UpdateStager::discard(const StagedUpdate& staged) {
    asio::post(folders_, [folder = staged.directory] { removeFolder(folder); });
}

void UpdateStager::removeFolder(const std::filesystem::path& folder) {
    TreeRemoval::remove(folder);
}

void UpdateStager::removeLeftovers() const {
    TreeRemoval::remove(root_);
}

} // namespace velto
