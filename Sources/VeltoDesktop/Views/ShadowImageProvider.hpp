#pragma once

#include <QImage>
#include <QMutex>
#include <QQuickImageProvider>
#include <map>

namespace velto {

/// Serves `image://shadow/<corner radius>`: the nine-slice shadow of ShadowImage, made once per radius
/// (0 to 64) and kept.
class ShadowImageProvider final : public QQuickImageProvider {
public:
    ShadowImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

private:
    QMutex mutex_;
    std::map<int, QImage> made_;
};

} // namespace velto
