#pragma once

#include <QImage>
#include <QMutex>
#include <QQuickImageProvider>
#include <map>
#include <utility>

namespace velto {

/// Serves `image://glow/<aarrggbb or rrggbb>/<diameter>`: ShadowImage's soft glow, made once per
/// colour and diameter and kept (up to a few hundred; the views ask for a handful).
class GlowImageProvider final : public QQuickImageProvider {
public:
    static constexpr std::size_t maximumKept = 256;

    GlowImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

private:
    QMutex mutex_;
    std::map<std::pair<QRgb, int>, QImage> made_;
};

} // namespace velto
