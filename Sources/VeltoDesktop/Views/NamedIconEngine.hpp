#pragma once

#include <QIcon>
#include <QIconEngine>
#include <QList>
#include <QPainter>
#include <QPixmap>

namespace velto {

/// An icon that carries a themed icon name while drawing its own pixmaps. The StatusNotifier item
/// sends the name, so that a host whose theme has the symbolic icon draws it in the bar's own ink,
/// and the pixmaps, which the other hosts (and the X11 tray) draw.
class NamedIconEngine final : public QIconEngine {
public:
    NamedIconEngine(QString name, QList<QPixmap> drawn) : name_(std::move(name)), drawn_(std::move(drawn)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    /// The smallest drawing that covers the size, scaled down to it.
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        if (drawn_.isEmpty() || size.isEmpty())
            return {};
        const QPixmap* best = &drawn_.back();
        for (const auto& each : drawn_) {
            if (each.width() >= size.width() && each.height() >= size.height() &&
                each.width() < best->width())
                best = &each;
        }
        if (best->size() == size)
            return *best;
        return best->scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        auto drawn = pixmap(size * scale, mode, state);
        drawn.setDevicePixelRatio(scale);
        return drawn;
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const auto& each : drawn_)
            sizes.push_back(each.size());
        return sizes;
    }
    QString iconName() override { return name_; }
    bool isNull() override { return drawn_.isEmpty(); }
    QIconEngine* clone() const override { return new NamedIconEngine(name_, drawn_); }
    QString key() const override { return QStringLiteral("velto-named"); }

private:
    QString name_;
    /// In growing sizes.
    QList<QPixmap> drawn_;
};

} // namespace velto
