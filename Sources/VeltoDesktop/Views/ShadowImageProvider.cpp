#include "VeltoDesktop/Views/ShadowImageProvider.hpp"

#include "VeltoDesktop/Views/ShadowImage.hpp"

#include <QMutexLocker>

namespace velto {

QImage ShadowImageProvider::requestImage(const QString& id, QSize* size, const QSize&) {
    bool ok = false;
    int radius = id.size() <= 4 ? id.toInt(&ok) : 0;
    if (!ok || radius < 0 || radius > 64)
        radius = 0;
    QMutexLocker lock(&mutex_);
    auto found = made_.find(radius);
    if (found == made_.end())
        found = made_.emplace(radius, ShadowImage::make(radius)).first;
    if (size)
        *size = found->second.size();
    return found->second;
}

} // namespace velto
