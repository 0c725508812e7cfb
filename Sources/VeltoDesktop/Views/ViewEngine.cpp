#include "VeltoDesktop/Views/ViewEngine.hpp"

#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/GlowImageProvider.hpp"
#include "VeltoDesktop/Views/RemoteImageProvider.hpp"
#include "VeltoDesktop/Views/ShadowImageProvider.hpp"
#include "VeltoDesktop/Views/SymbolImageProvider.hpp"

#include <QGuiApplication>
#include <QQmlContext>
#include <QQuickStyle>

namespace velto {

void ViewEngine::pinStyle() {
    static const bool pinned = [] {
        QQuickStyle::setStyle(QStringLiteral("Basic"));
        return true;
    }();
    (void)pinned;
}

ViewEngine::ViewEngine(PanelModel* model, RemoteImageCache& remote, BrandArtwork artwork)
    : artwork_(std::move(artwork)), remote_(remote) {
    pinStyle();
    palette_ = std::make_unique<ViewPalette>(QGuiApplication::palette());
    artworkSources_ = std::make_unique<ArtworkSources>(artwork_);
    pictures_ = std::make_unique<PictureSources>(remote, model);
}

QQmlEngine& ViewEngine::engine() {
    if (engine_)
        return *engine_;
    auto& remote = remote_;
    engine_ = std::make_unique<QQmlEngine>();
    engine_->addImportPath(QStringLiteral("qrc:/"));
    engine_->setIncubationController(&incubation_);
    engine_->addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider(artwork_, palette_->ink()));
    engine_->addImageProvider(QStringLiteral("shadow"), new ShadowImageProvider());
    engine_->addImageProvider(QStringLiteral("glow"), new GlowImageProvider());
    engine_->addImageProvider(QStringLiteral("remote"), new RemoteImageProvider([&remote](std::uint64_t id) {
                                  return remote.imageForId(id);
                              }));
    auto* pictures = pictures_.get();
    engine_->addImageProvider(QStringLiteral("photo"), new RemoteImageProvider([pictures](std::uint64_t id) {
                                  return pictures->photoForId(id);
                              }));
    auto* context = engine_->rootContext();
    context->setContextProperty(QStringLiteral("theme"), palette_.get());
    context->setContextProperty(QStringLiteral("pictures"), pictures_.get());
    context->setContextProperty(QStringLiteral("artwork"), artworkSources_.get());
    context->setContextProperty(QStringLiteral("userTexts"), UserTexts::labels());
    return *engine_;
}

ViewEngine::~ViewEngine() {
    // The engine goes first: its providers and bindings point at the objects below.
    engine_.reset();
}

} // namespace velto
