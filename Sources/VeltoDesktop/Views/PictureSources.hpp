#pragma once

#include "VeltoDesktop/Views/RemoteImageCache.hpp"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace velto {

class PanelModel;

/// The image sources the views show pictures by: an organization's cached photo (from the model's
/// `organizationPhotos`), else its or a user's picture from the web (RemoteImageCache), else the
/// empty source, on which the view shows its placeholder. Asking for a web picture that is not kept
/// yet starts its load; `revision` changes whenever a picture arrives or changes, so bindings that
/// read it ask again. Never a server address as a source. Main thread, except `photoForId`.
class PictureSources final : public QObject {
    Q_OBJECT
    Q_PROPERTY(int revision READ revision NOTIFY revisionChanged)

public:
    PictureSources(RemoteImageCache& remote, PanelModel* model, QObject* parent = nullptr);

    int revision() const { return revision_; }

    /// "image://remote/…" for a kept web picture; empty otherwise (and the load starts).
    Q_INVOKABLE QString remote(const QString& address, const QString& shape);
    /// "image://photo/…" for the photo of the organization of that device id; empty without one.
    Q_INVOKABLE QString photo(const QString& deviceId, const QString& shape);
    /// The photo when there is one, else the web picture of `address`.
    Q_INVOKABLE QString organization(const QString& deviceId, const QString& address, const QString& shape);

    std::optional<QImage> photoForId(std::uint64_t id) const;

Q_SIGNALS:
    void revisionChanged();

private:
    void takePhotos();
    void bump();

    RemoteImageCache& remote_;
    QPointer<PanelModel> model_;
    int revision_ = 0;
    mutable std::mutex mutex_;
    struct Photo {
        std::uint64_t id = 0;
        std::uint64_t revision = 0;
        QImage image;
    };
    std::map<std::string, Photo> photos_;
    std::uint64_t nextPhotoId_ = 1;
};

} // namespace velto
