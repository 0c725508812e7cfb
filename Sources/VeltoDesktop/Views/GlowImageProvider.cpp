#include "VeltoDesktop/Views/GlowImageProvider.hpp"

#include "VeltoDesktop/Views/ShadowImage.hpp"

#include <QColor>
#include <QMutexLocker>

namespace velto {

QImage GlowImageProvider::requestImage(const QString& id, QSize* size, const QSize&) {
    const auto parts = id.split(QLatin1Char('/'));
    QColor color;
    int diameter = 0;
    if (parts.size() == 2 && (parts[0].size() == 6 || parts[0].size() == 8)) {
        color = QColor::fromString(QStringLiteral("#") + parts[0]);
        bool ok = false;
        diameter = parts[1].size() <= 3 ? parts[1].toInt(&ok) : 0;
        if (!ok)
            diameter = 0;
    }
    if (!color.isValid() || diameter < 1 || diameter > 256) {
        QImage none(1, 1, QImage::Format_ARGB32_Premultiplied);
        none.fill(Qt::transparent);
        if (size)
            *size = none.size();
        return none;
    }
    const std::pair key{color.rgba(), diameter};
    QMutexLocker lock(&mutex_);
    auto found = made_.find(key);
    if (found == made_.end()) {
        if (made_.size() >= maximumKept)
            made_.clear();
        found = made_.emplace(key, ShadowImage::glow(color, diameter)).first;
    }
    if (size)
        *size = found->second.size();
    return found->second;
}

} // namespace velto
