#pragma once

#include <QImage>
#include <QQuickImageProvider>
#include <cstdint>
#include <functional>
#include <optional>

namespace velto {

/// Serves pictures kept in memory by an opaque number: `image://<name>/<id>/<revision>/<shape>`. The
/// revision only makes a changed picture a new source; the shape is one of ShapedImage's. Answers at
/// once (the picture is in memory or absent), so a kept picture shows in the first frame. Serves two
/// stores: the web pictures of RemoteImageCache and the organizations' photos.
class RemoteImageProvider final : public QQuickImageProvider {
public:
    /// Looks a picture up by its id; called on the thread that asks for the image.
    using Lookup = std::function<std::optional<QImage>(std::uint64_t id)>;

    explicit RemoteImageProvider(Lookup lookup);

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

private:
    Lookup lookup_;
};

} // namespace velto
