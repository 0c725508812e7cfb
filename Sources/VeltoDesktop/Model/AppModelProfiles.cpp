// Profiles, organization photos and device scopes.
#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/Model/BoundedImageDecoder.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"
#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDevice/Photos/OrganizationPhotoClient.hpp"
#include "VeltoDevice/Scopes/DeviceScopesClient.hpp"
#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <QByteArray>
#include <QPointer>
#include <exception>

namespace velto {

namespace {

boost::asio::awaitable<PhotoChange> syncOn(std::shared_ptr<OrganizationPhotoCache> cache, std::string key,
                                           std::optional<std::string> version,
                                           OrganizationPhotoClient client) {
    OrganizationPhotoCache::Fetch fetch = [client] { return client.fetch(); };
    auto syncing = cache->sync(std::move(key), std::move(version), std::move(fetch));
    co_return co_await std::move(syncing);
}

boost::asio::awaitable<void> removeOn(std::shared_ptr<OrganizationPhotoCache> cache, std::string key) {
    co_await cache->remove(std::move(key));
}

} // namespace

void AppModel::takeProfile(const DeviceProfile& profile, const std::string& deviceId,
                           const DeviceIdentity& identity) {
    assertOnMainThread();
    updateRecord(deviceId, profile);
    spawn("sync the photo of " + deviceId, syncPhoto(profile.organization, deviceId, identity));
    spawn("renew the command's login of " + deviceId, commandLine_->refreshLogin(deviceId));
    spawn("refresh the scopes of " + deviceId, refreshScopes(deviceId));
}

void AppModel::updateRecord(const std::string& deviceId, const DeviceProfile& profile) {
    const int index = organizations_->indexOf(deviceId);
    if (index < 0)
        return;
    auto row = organizations()[static_cast<std::size_t>(index)];
    row.enrollment = row.enrollment.updated(profile);
    organizations_->replace(index, std::move(row));
    if (!savedEnrollments_)
        return;
    spawn("save the profile of " + deviceId,
          [](StrandConfined<SavedEnrollments> saved, std::string id,
             DeviceProfile received) -> boost::asio::awaitable<void> {
              std::exception_ptr failure;
              try {
                  auto saving = saved.run([id, received](SavedEnrollments& enrollments) {
                      return enrollments.refresh(id, received);
                  });
                  co_await std::move(saving);
              } catch (...) {
                  failure = std::current_exception();
              }
              if (failure && !isCancellation(failure))
                  appLog().error("could not save the profile of " + id + ": " + describe(failure));
          }(*savedEnrollments_, deviceId, profile));
}

boost::asio::awaitable<void> AppModel::syncPhoto(DeviceProfile::Organization organization,
                                                 std::string deviceId, DeviceIdentity identity) {
    assertOnMainThread();
    if (!photoCache_)
        co_return;
    OrganizationPhotoClient client{identity.server, identity.http};
    std::exception_ptr failure;
    PhotoChange change = PhotoChange::unchanged;
    try {
        auto syncing = syncOn(photoCache_, deviceId, organization.photoVersion, client);
        change = co_await runOn(device_, std::move(syncing));
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        if (!isCancellation(failure))
            appLog().error("could not fetch the photo of " + organization.id + ": " + describe(failure));
        co_return;
    }
    if (change != PhotoChange::unchanged)
        loadCachedPhoto(deviceId);
}

void AppModel::setOrganizationPhoto(const std::string& deviceId, std::optional<QImage> image) {
    auto found = organizationPhotos_.find(deviceId);
    if (!image) {
        if (found == organizationPhotos_.end())
            return;
        organizationPhotos_.erase(found);
    } else if (found == organizationPhotos_.end()) {
        organizationPhotos_.emplace(deviceId, std::move(*image));
    } else if (found->second == *image) {
        return;
    } else {
        found->second = std::move(*image);
    }
    Q_EMIT organizationPhotosChanged();
}

void AppModel::loadCachedPhoto(const std::string& deviceId) {
    assertOnMainThread();
    // Only the latest load of a device id (or its forgetting) decides its entry.
    const auto load = ++photoLoads_[deviceId];
    if (!photoCache_) {
        setOrganizationPhoto(deviceId, std::nullopt);
        return;
    }
    // The file is read on the storage strand, after the cache's own writes, and decoded in the
    // blocking pool under the decoder's bounds: a large picture must not stall the main thread.
    spawn("load the photo of " + deviceId,
          [](QPointer<AppModel> model, boost::asio::any_io_executor storage,
             boost::asio::any_io_executor blocking, std::shared_ptr<OrganizationPhotoCache> cache,
             std::string id, std::uint64_t number) -> boost::asio::awaitable<void> {
              std::optional<QImage> image;
              try {
                  auto reading = [cache, id] { return cache->photo(id); };
                  auto bytes = co_await runBlocking(storage, std::move(reading));
                  if (bytes) {
                      auto decoding = [decoded = std::move(*bytes)] {
                          return BoundedImageDecoder::decode(decoded);
                      };
                      image = co_await runBlocking(blocking, std::move(decoding));
                  }
              } catch (...) {
                  // Unreadable: no picture, as for bytes that make none.
              }
              if (!model || model->photoLoads_[id] != number)
                  co_return;
              model->setOrganizationPhoto(id, std::move(image));
          }(QPointer<AppModel>(this), storage_, services_->blockingExecutor(), photoCache_, deviceId, load));
}

void AppModel::forgetPhoto(const std::string& deviceId) {
    assertOnMainThread();
    ++photoLoads_[deviceId];
    setOrganizationPhoto(deviceId, std::nullopt);
    if (!photoCache_)
        return;
    spawn("remove the photo of " + deviceId,
          [](boost::asio::any_io_executor device, std::shared_ptr<OrganizationPhotoCache> cache,
             std::string id) -> boost::asio::awaitable<void> {
              try {
                  auto removing = removeOn(std::move(cache), std::move(id));
                  co_await runOn(device, std::move(removing));
              } catch (...) {
                  // A picture that cannot be removed is left; it is keyed by a device id no longer used.
              }
          }(device_, photoCache_, deviceId));
}

std::optional<QImage> AppModel::photo(const Enrollment* enrollment) const {
    if (!enrollment)
        return std::nullopt;
    auto found = organizationPhotos_.find(enrollment->deviceId);
    if (found == organizationPhotos_.end())
        return std::nullopt;
    return found->second;
}

boost::asio::awaitable<AppModel::ScopesReply> AppModel::requestScopes(std::string deviceId,
                                                                      ScopesRequest request) {
    ScopesReply reply;
    auto identity = commandLine_->identities().find(deviceId);
    if (identity == commandLine_->identities().end())
        co_return reply;
    reply.isAsked = true;
    DeviceScopesClient client{identity->second.server, identity->second.http, deviceId};
    std::optional<DeviceScopes> scopes;
    try {
        auto requesting = request(std::move(client));
        scopes = co_await runOn(device_, std::move(requesting));
    } catch (...) {
        reply.failure = std::current_exception();
    }
    if (scopes) {
        auto updated = deviceScopes_;
        updated.insert_or_assign(deviceId, std::move(*scopes));
        assignNotifying(*this, deviceScopes_, std::move(updated), &AppModel::deviceScopesChanged);
    }
    co_return reply;
}

boost::asio::awaitable<void> AppModel::refreshScopes(std::string deviceId) {
    assertOnMainThread();
    auto reply = co_await requestScopes(deviceId, [](DeviceScopesClient client) { return client.fetch(); });
    if (reply.failure && !isCancellation(reply.failure))
        appLog().error("could not read the scopes of " + deviceId + ": " + describe(reply.failure));
}

boost::asio::awaitable<void> AppModel::setScopeGranted(DeviceScope scope, bool isGranted,
                                                       std::string deviceId) {
    assertOnMainThread();
    auto reply = co_await requestScopes(
        deviceId, [scope, isGranted](DeviceScopesClient client) { return client.answer(scope, isGranted); });
    if (!reply.isAsked || (reply.failure && isCancellation(reply.failure)))
        co_return;
    if (!reply.failure) {
        if (scopeRefusals_.erase(deviceId) > 0)
            Q_EMIT scopeRefusalsChanged();
        co_return;
    }
    auto description = describe(reply.failure);
    appLog().error("could not answer " + std::string(rawValue(scope)) + " for " + deviceId + ": " +
                   description);
    auto refusals = scopeRefusals_;
    refusals.insert_or_assign(deviceId, UserTexts::scopeAnswerFailed().toStdString() + description);
    assignNotifying(*this, scopeRefusals_, std::move(refusals), &AppModel::scopeRefusalsChanged);
}

boost::asio::awaitable<void> AppModel::agreeEverywhere(std::set<DeviceScope> scopes) {
    assertOnMainThread();
    const auto rows = organizations();
    for (const auto& row : rows) {
        for (auto scope : agreedDeviceScopes) {
            if (scopes.count(scope) > 0)
                co_await setScopeGranted(scope, true, row.id());
        }
    }
}

std::optional<DeviceScopes> AppModel::scopes(const EnrolledOrganization& organization) const {
    auto found = deviceScopes_.find(organization.id());
    if (found == deviceScopes_.end())
        return std::nullopt;
    return found->second;
}

} // namespace velto
