#include "VeltoDesktop/Model/PhotosModel.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/BoundedImageDecoder.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"
#include "VeltoDevice/Photos/OrganizationPhotoClient.hpp"
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

PhotosModel::PhotosModel(Executors executors, std::shared_ptr<OrganizationPhotoCache> cache)
    : executors_(std::move(executors)), cache_(std::move(cache)), tasks_(*this, executors_.main, appLog()) {}

boost::asio::awaitable<void> PhotosModel::syncPhoto(DeviceProfile::Organization organization,
                                                    std::string deviceId, DeviceIdentity identity) {
    assertOnMainThread();
    if (!cache_)
        co_return;
    OrganizationPhotoClient client{identity.server, identity.http};
    std::exception_ptr failure;
    PhotoChange change = PhotoChange::unchanged;
    try {
        auto syncing = syncOn(cache_, deviceId, organization.photoVersion, client);
        change = co_await runOn(executors_.device, std::move(syncing));
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

void PhotosModel::setOrganizationPhoto(const std::string& deviceId, std::optional<QImage> image) {
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

void PhotosModel::loadCachedPhoto(const std::string& deviceId) {
    assertOnMainThread();
    // Only the latest load of a device id (or its forgetting) decides its entry.
    const auto load = ++photoLoads_[deviceId];
    if (!cache_) {
        setOrganizationPhoto(deviceId, std::nullopt);
        return;
    }
    // The file is read on the storage strand, after the cache's own writes, and decoded in the
    // blocking pool under the decoder's bounds: a large picture must not stall the main thread.
    tasks_.spawn(
        "load the photo of " + deviceId,
        [](QPointer<PhotosModel> model, boost::asio::any_io_executor storage,
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
        }(QPointer<PhotosModel>(this), executors_.storage, executors_.blocking, cache_, deviceId, load));
}

void PhotosModel::forgetPhoto(const std::string& deviceId) {
    assertOnMainThread();
    ++photoLoads_[deviceId];
    setOrganizationPhoto(deviceId, std::nullopt);
    if (!cache_)
        return;
    tasks_.spawn("remove the photo of " + deviceId,
                 [](boost::asio::any_io_executor device, std::shared_ptr<OrganizationPhotoCache> cache,
                    std::string id) -> boost::asio::awaitable<void> {
                     try {
                         auto removing = removeOn(std::move(cache), std::move(id));
                         co_await runOn(device, std::move(removing));
                     } catch (...) {
                         // A picture that cannot be removed is left; it is keyed by a device id no longer
                         // used.
                     }
                 }(executors_.device, cache_, deviceId));
}

std::optional<QImage> PhotosModel::photo(const Enrollment* enrollment) const {
    if (!enrollment)
        return std::nullopt;
    auto found = organizationPhotos_.find(enrollment->deviceId);
    if (found == organizationPhotos_.end())
        return std::nullopt;
    return found->second;
}

} // namespace velto
