#include "VeltoDesktop/Views/PictureSources.hpp"

#include "VeltoDesktop/Views/PanelModel.hpp"

namespace velto {

namespace {

QString source(const char* provider, std::uint64_t id, std::uint64_t revision, const QString& shape) {
    return QStringLiteral("image://%1/%2/%3/%4")
        .arg(QLatin1String(provider))
        .arg(id)
        .arg(revision)
        .arg(shape == QLatin1String("circle") || shape == QLatin1String("rounded")
                 ? shape
                 : QStringLiteral("square"));
}

} // namespace

PictureSources::PictureSources(RemoteImageCache& remote, PanelModel* model, QObject* parent)
    : QObject(parent), remote_(remote), model_(model) {
    connect(&remote_, &RemoteImageCache::loaded, this, [this] { bump(); });
    if (model) {
        connect(model, &PanelModel::organizationPhotosChanged, this, [this] {
            takePhotos();
            bump();
        });
        takePhotos();
    }
}

void PictureSources::bump() {
    ++revision_;
    Q_EMIT revisionChanged();
}

void PictureSources::takePhotos() {
    if (!model_)
        return;
    const auto& current = model_->organizationPhotos();
    std::lock_guard lock(mutex_);
    for (auto it = photos_.begin(); it != photos_.end();) {
        if (!current.count(it->first))
            it = photos_.erase(it);
        else
            ++it;
    }
    for (const auto& [deviceId, image] : current) {
        auto& kept = photos_[deviceId];
        if (kept.id == 0)
            kept.id = nextPhotoId_++;
        if (kept.image != image) {
            kept.image = image;
            ++kept.revision;
        }
    }
}

QString PictureSources::remote(const QString& address, const QString& shape) {
    if (address.isEmpty())
        return {};
    const auto key = address.toStdString();
    if (auto entry = remote_.entry(key))
        return source("remote", entry->id, entry->revision, shape);
    remote_.load(key);
    return {};
}

QString PictureSources::photo(const QString& deviceId, const QString& shape) {
    std::lock_guard lock(mutex_);
    auto found = photos_.find(deviceId.toStdString());
    if (found == photos_.end() || found->second.image.isNull())
        return {};
    return source("photo", found->second.id, found->second.revision, shape);
}

QString PictureSources::organization(const QString& deviceId, const QString& address, const QString& shape) {
    auto fromPhoto = photo(deviceId, shape);
    return fromPhoto.isEmpty() ? remote(address, shape) : fromPhoto;
}

std::optional<QImage> PictureSources::photoForId(std::uint64_t id) const {
    std::lock_guard lock(mutex_);
    for (const auto& [deviceId, photo] : photos_) {
        if (photo.id == id)
            return photo.image;
    }
    return std::nullopt;
}

} // namespace velto
