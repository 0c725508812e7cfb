#pragma once

#include "VeltoDesktop/Views/ArtworkSources.hpp"
#include "VeltoDesktop/Views/BrandArtwork.hpp"
#include "VeltoDesktop/Views/PictureSources.hpp"
#include "VeltoDesktop/Views/RemoteImageCache.hpp"
#include "VeltoDesktop/Views/ViewPalette.hpp"

#include <QQmlEngine>
#include <memory>

namespace velto {

class AppModel;

/// The one QML engine of the application's windows, with what every view binds to: the palette as
/// `theme`, the picture sources as `pictures`, the artwork as `artwork`, the fixed labels as `userTexts`
/// (UserTexts), and the image providers
/// "symbol", "shadow", "remote" and "photo". The Quick Controls style is pinned first, so no
/// desktop style setting changes the views.
class ViewEngine {
public:
    ViewEngine(AppModel* model, RemoteImageCache& remote, BrandArtwork artwork = BrandArtwork());
    ~ViewEngine();

    ViewEngine(const ViewEngine&) = delete;
    ViewEngine& operator=(const ViewEngine&) = delete;

    QQmlEngine& engine() { return *engine_; }
    ViewPalette& palette() { return *palette_; }
    PictureSources& pictures() { return *pictures_; }
    const BrandArtwork& artwork() const { return artwork_; }

    /// Pins the style before any engine exists (once per process).
    static void pinStyle();

private:
    BrandArtwork artwork_;
    std::unique_ptr<ViewPalette> palette_;
    std::unique_ptr<ArtworkSources> artworkSources_;
    std::unique_ptr<PictureSources> pictures_;
    std::unique_ptr<QQmlEngine> engine_;
};

} // namespace velto
