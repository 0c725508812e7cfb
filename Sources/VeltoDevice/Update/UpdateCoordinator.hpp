#pragma once

#include "VeltoDevice/Connection/UpdateOfferReceiving.hpp"
#include "VeltoDevice/Support/InstallLocationProblem.hpp"
#include "VeltoDevice/Support/NewestStream.hpp"
#include "VeltoDevice/Update/AppVersion.hpp"
#include "VeltoDevice/Update/JobActivity.hpp"
#include "VeltoDevice/Update/StagedUpdate.hpp"
#include "VeltoDevice/Update/StagingTask.hpp"
#include "VeltoDevice/Update/UpdateDecision.hpp"
#include "VeltoDevice/Update/UpdateInstalling.hpp"
#include "VeltoDevice/Update/UpdateProgress.hpp"
#include "VeltoDevice/Update/UpdateStaging.hpp"
#include "VeltoDevice/Update/UpdateVerifier.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <unordered_set>

namespace velto {

/// Decides what happens to the update offers of every session: screens each, stages an accepted one
/// in a task of its own, adopts the newest staged result, holds new jobs back while it waits, and
/// installs it as soon as no job runs. Remembers, for the life of the process, the versions that
/// failed to stage or install. Log lines go to the category "update".
///
/// Lives on one executor (the device io_context) and is only touched from there; its operations
/// interleave only where they await. Make it with std::make_shared: staging tasks hold it weakly.
class UpdateCoordinator final : public UpdateOfferReceiving,
                                public std::enable_shared_from_this<UpdateCoordinator> {
public:
    /// Unread progress values kept for a slow reader.
    static constexpr std::size_t keptProgress = 8;

    UpdateCoordinator(boost::asio::any_io_executor executor, UpdateVerifier verifier,
                      std::optional<InstallLocationProblem> installProblem,
                      std::shared_ptr<UpdateStaging> stager, std::shared_ptr<UpdateInstalling> installer,
                      std::shared_ptr<JobActivity> activity);
    /// Cancels the staging attempt still running.
    ~UpdateCoordinator() override;

    UpdateCoordinator(const UpdateCoordinator&) = delete;
    UpdateCoordinator& operator=(const UpdateCoordinator&) = delete;

    /// Every change of progress, never the same value twice in a row; never finished.
    NewestStream<UpdateProgress>& progress() { return progress_; }

    /// `consider`, its decision dropped; once an install has begun the offer is only logged.
    boost::asio::awaitable<void> receive(ServerMessage::UpdateOffer offer) override;
    /// Screens the offer and, when it is accepted, starts its staging without waiting for it.
    boost::asio::awaitable<UpdateDecision> consider(ServerMessage::UpdateOffer offer);
    /// Installs the staged update, if any, when the runner is idle.
    boost::asio::awaitable<void> jobsBecameIdle();
    /// Returns once the newest staging attempt has ended (at once when none was started).
    boost::asio::awaitable<void> downloadSettled();

    const std::unordered_set<AppVersion>& refusedVersions() const { return refusedVersions_; }
    const std::optional<StagedUpdate>& staged() const { return staged_; }
    bool isInstalling() const { return isInstalling_; }
    std::int64_t downloadsStarted() const { return downloadsStarted_; }

private:
    struct PendingDownload {
        AppVersion version;
        std::int64_t number = 0;
        std::shared_ptr<StagingTask> task;
    };

    VerifiedUpdate screen(const ServerMessage::UpdateOffer& offer) const;
    void startDownload(VerifiedUpdate update);
    static boost::asio::awaitable<void> attempt(std::weak_ptr<UpdateCoordinator> coordinator,
                                                std::shared_ptr<UpdateStaging> stager, VerifiedUpdate update,
                                                std::int64_t number);
    void noteFailure(const std::exception_ptr& error, const AppVersion& version, bool isCurrent);
    boost::asio::awaitable<void> adopt(StagedUpdate staged);
    boost::asio::awaitable<void> installIfIdle();
    boost::asio::awaitable<void> install(StagedUpdate staged);
    void setProgress(UpdateProgress progress);
    void logRefusal(const UpdateRefusal& refusal, const std::string& version) const;

    NewestStream<UpdateProgress> progress_{keptProgress};
    boost::asio::any_io_executor executor_;
    UpdateVerifier verifier_;
    std::optional<InstallLocationProblem> installProblem_;
    std::shared_ptr<UpdateStaging> stager_;
    std::shared_ptr<UpdateInstalling> installer_;
    std::shared_ptr<JobActivity> activity_;
    std::optional<PendingDownload> download_;
    std::shared_ptr<StagingTask> latestDownloadTask_;
    std::optional<StagedUpdate> staged_;
    std::unordered_set<AppVersion> refusedVersions_;
    bool isInstalling_ = false;
    std::int64_t downloadsStarted_ = 0;
    UpdateProgress lastProgress_ = UpdateProgress::none();
};

} // namespace velto
