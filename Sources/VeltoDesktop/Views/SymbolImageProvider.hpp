#pragma once

#include "VeltoDesktop/Views/BrandArtwork.hpp"

#include <QQuickImageProvider>

namespace velto {

/// Serves `image://symbol/<name>?color=<colour>&opacity=<0 to 1>`: the drawing of that name (see
/// BrandArtwork) at the requested size in pixels (16 × 16 when none is asked), filled with the colour
/// (the ink when none or an unreadable one is given). An unknown name gives an empty image.
class SymbolImageProvider final : public QQuickImageProvider {
public:
    explicit SymbolImageProvider(BrandArtwork artwork, QColor ink);

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

private:
    BrandArtwork artwork_;
    QColor ink_;
};

} // namespace velto
