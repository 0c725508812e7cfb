#include "VeltoDesktop/Views/ArtworkSources.hpp"

#include <QUrl>

namespace velto {

QString ArtworkSources::symbol(const QString& name, const QColor& color, double opacity) const {
    return QStringLiteral("image://symbol/%1?color=%2&opacity=%3")
        .arg(QString::fromLatin1(QUrl::toPercentEncoding(name)),
             QString::fromLatin1(QUrl::toPercentEncoding(color.name(QColor::HexArgb))),
             QString::number(opacity));
}

} // namespace velto
