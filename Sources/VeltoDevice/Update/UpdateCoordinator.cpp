#include "VeltoDevice/Update/UpdateCoordinator.hpp"

#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/Log.hpp"

namespace velto {

namespace {

using Case = UpdateRefusal::Case;

const Logger& updateLog() {
    static const Logger logger("update");
    return logger;
}

} // namespace

UpdateCoordinator::UpdateCoordinator(boost::asio::any_io_executor executor, UpdateVerifier verifier,
                                     std::optional<InstallLocationProblem> installProblem,
                                     std::shared_ptr<UpdateStaging> stager,
                                     std::shared_ptr<UpdateInstalling> installer,
                                     std::shared_ptr<JobActivity> activity)
    : executor_(std::move(executor)), verifier_(std::move(verifier)), installProblem_(installProblem),
      stager_(std::move(stager)), installer_(std::move(installer)), activity_(std::move(activity)) {}

UpdateCoordinator::~UpdateCoordinator() {
    if (download_)
        download_->task->cancel();
}

boost::asio::awaitable<void> UpdateCoordinator::receive(ServerMessage::UpdateOffer offer) {
    // The process is about to be replaced: nothing newer can be installed by it any more.
    if (isInstalling_) {
        updateLog().debug("ignored update " + offer.version + ": an update is being installed");
        co_return;
    }
    co_await consider(std::move(offer));
}

boost::asio::awaitable<UpdateDecision> UpdateCoordinator::consider(ServerMessage::UpdateOffer offer) {
    std::optional<VerifiedUpdate> update;
    try {
        update = screen(offer);
    } catch (const UpdateRefusal& refusal) {
        logRefusal(refusal, offer.version);
        co_return UpdateDecision::ignored(refusal);
    }
    updateLog().info("downloading update " + offer.version);
    startDownload(std::move(*update));
    co_return UpdateDecision::downloading(offer.version);
}

boost::asio::awaitable<void> UpdateCoordinator::jobsBecameIdle() {
    co_await installIfIdle();
}

boost::asio::awaitable<void> UpdateCoordinator::downloadSettled() {
    if (auto task = latestDownloadTask_)
        co_await task->ended();
}

VerifiedUpdate UpdateCoordinator::screen(const ServerMessage::UpdateOffer& offer) const {
    if (installProblem_)
        throw UpdateRefusal::notInstallable(*installProblem_);
    auto update = verifier_.verify(offer);
    if (download_ && !(download_->version < update.version))
        throw UpdateRefusal(Case::notNewerThanPending);
    if (staged_ && !(staged_->version < update.version))
        throw UpdateRefusal(Case::notNewerThanPending);
    if (refusedVersions_.count(update.version) > 0)
        throw UpdateRefusal(Case::refusedEarlier);
    return update;
}

void UpdateCoordinator::startDownload(VerifiedUpdate update) {
    // The older attempt ends on its own at its next cancellation point, and is then superseded.
    if (download_)
        download_->task->cancel();
    auto number = ++downloadsStarted_;
    auto task = std::make_shared<StagingTask>(executor_);
    download_ = PendingDownload{update.version, number, task};
    latestDownloadTask_ = task;
    task->start(attempt(weak_from_this(), stager_, std::move(update), number));
}

boost::asio::awaitable<void> UpdateCoordinator::attempt(std::weak_ptr<UpdateCoordinator> coordinator,
                                                        std::shared_ptr<UpdateStaging> stager,
                                                        VerifiedUpdate update, std::int64_t number) {
    std::optional<StagedUpdate> staged;
    std::exception_ptr error;
    try {
        staged = co_await stager->stage(update);
    } catch (...) {
        error = std::current_exception();
    }
    auto self = coordinator.lock();
    if (!self) {
        if (staged)
            stager->discard(*staged);
        co_return;
    }
    bool isCurrent = self->download_ && self->download_->number == number;
    if (isCurrent)
        self->download_.reset();
    if (error) {
        self->noteFailure(error, update.version, isCurrent);
    } else if (isCurrent) {
        co_await self->adopt(std::move(*staged));
    } else {
        stager->discard(*staged);
    }
}

void UpdateCoordinator::noteFailure(const std::exception_ptr& error, const AppVersion& version,
                                    bool isCurrent) {
    if (isCurrent) {
        try {
            std::rethrow_exception(error);
        } catch (const UpdateRefusal& refusal) {
            updateLog().error("could not stage update " + version.text() + ": " + refusal.description());
            if (!refusal.isRetryable())
                refusedVersions_.insert(version);
            return;
        } catch (...) {
        }
    }
    updateLog().debug("update " + version.text() + " stopped: " + describe(error));
}

boost::asio::awaitable<void> UpdateCoordinator::adopt(StagedUpdate staged) {
    if (staged_)
        stager_->discard(*staged_);
    staged_ = staged;
    updateLog().info("staged update " + staged.version.text());
    co_await activity_->holdNewJobs(true);
    co_await installIfIdle();
}

boost::asio::awaitable<void> UpdateCoordinator::installIfIdle() {
    if (!staged_ || isInstalling_)
        co_return;
    bool idle = co_await activity_->isIdle();
    // Other calls may have run meanwhile.
    if (!staged_ || isInstalling_)
        co_return;
    if (idle)
        co_await install(*staged_);
    else
        setProgress(UpdateProgress::waitingForReview(staged_->version.text()));
}

boost::asio::awaitable<void> UpdateCoordinator::install(StagedUpdate staged) {
    isInstalling_ = true;
    std::exception_ptr error;
    try {
        installer_->install(staged);
    } catch (...) {
        error = std::current_exception();
    }
    const auto& version = staged.version.text();
    stager_->discard(staged);
    if (!error) {
        // From now on nothing else is installed by this process.
        updateLog().info("installed update " + version + "; relaunching");
        setProgress(UpdateProgress::installed(version));
        co_return;
    }
    updateLog().error("could not install update " + version + ": " + describe(error));
    refusedVersions_.insert(staged.version);
    staged_.reset();
    isInstalling_ = false;
    co_await activity_->holdNewJobs(false);
    setProgress(UpdateProgress::none());
}

void UpdateCoordinator::setProgress(UpdateProgress progress) {
    if (progress == lastProgress_)
        return;
    lastProgress_ = progress;
    progress_.push(std::move(progress));
}

void UpdateCoordinator::logRefusal(const UpdateRefusal& refusal, const std::string& version) const {
    auto line = "ignored update " + version + ": " + refusal.description();
    switch (refusal.kind()) {
    case Case::notNewer:
    case Case::notNewerThanPending:
    case Case::refusedEarlier:
        updateLog().debug(line);
        break;
    default:
        updateLog().notice(line);
        break;
    }
}

} // namespace velto
