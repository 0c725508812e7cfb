#pragma once

#include "VeltoDesktop/Model/OwnedTasks.hpp"
#include "VeltoDevice/Enrollment/DeviceProfile.hpp"
#include "VeltoDevice/Enrollment/Enrollment.hpp"
#include "VeltoDevice/HTTP/DeviceIdentity.hpp"
#include "VeltoDevice/Photos/OrganizationPhotoCache.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <QImage>
#include <QObject>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace velto {

/// The organizations' photos: the pictures kept in the photo cache, decoded for the views, fetched
/// again when a profile names a new version. Main thread; the cache lives on the device executor.
class PhotosModel final : public QObject {
    Q_OBJECT

public:
    struct Executors {
        boost::asio::any_io_executor main;
        boost::asio::any_io_executor device;
        boost::asio::any_io_executor storage;
        boost::asio::any_io_executor blocking;
    };

    /// Without a cache, no organization has a photo.
    PhotosModel(Executors executors, std::shared_ptr<OrganizationPhotoCache> cache);

    /// Per device id, its organization's decoded photo.
    const std::map<std::string, QImage>& organizationPhotos() const { return organizationPhotos_; }
    std::optional<QImage> photo(const Enrollment* enrollment) const;

    /// Reads the cached picture of the device id again, in a task.
    void loadCachedPhoto(const std::string& deviceId);
    /// The entry goes now, the cached picture in a task.
    void forgetPhoto(const std::string& deviceId);
    /// Fetches the organization's picture when its version changed, then loads it.
    boost::asio::awaitable<void> syncPhoto(DeviceProfile::Organization organization, std::string deviceId,
                                           DeviceIdentity identity);

Q_SIGNALS:
    void organizationPhotosChanged();

private:
    void setOrganizationPhoto(const std::string& deviceId, std::optional<QImage> image);

    Executors executors_;
    std::shared_ptr<OrganizationPhotoCache> cache_;
    std::map<std::string, QImage> organizationPhotos_;
    /// Per device id, the number of its latest picture load or forgetting.
    std::map<std::string, std::uint64_t> photoLoads_;
    OwnedTasks tasks_;
};

} // namespace velto
