#pragma once

#include "VeltoDesktop/Views/BrandArtwork.hpp"

#include <QColor>
#include <QObject>
#include <QString>

namespace velto {

/// What the views ask about the artwork: whether a drawing exists, and its symbol image source.
class ArtworkSources final : public QObject {
    Q_OBJECT

public:
    explicit ArtworkSources(BrandArtwork artwork, QObject* parent = nullptr)
        : QObject(parent), artwork_(std::move(artwork)) {}

    Q_INVOKABLE bool has(const QString& name) const { return artwork_.has(name.toStdString()); }
    /// "image://symbol/<name>?color=…&opacity=…".
    Q_INVOKABLE QString symbol(const QString& name, const QColor& color, double opacity = 1.0) const;

private:
    BrandArtwork artwork_;
};

} // namespace velto
