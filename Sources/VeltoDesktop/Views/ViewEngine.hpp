#pragma once

#include "VeltoDesktop/Views/ArtworkSources.hpp"
#include "VeltoDesktop/Views/BrandArtwork.hpp"
#include "VeltoDesktop/Views/PictureSources.hpp"
#include "VeltoDesktop/Views/RemoteImageCache.hpp"
#include "VeltoDesktop/Views/SteppedIncubation.hpp"
#include "VeltoDesktop/Views/ViewPalette.hpp"

#include <QQmlEngine>
#include <memory>

namespace velto {

class PanelModel;

/// The one QML engine of the application's windows, with what every view binds to: the palette as
/// `theme`, the picture sources as `pictures`, the artwork as `artwork`, the fixed labels as `userTexts`
/// (UserTexts), and the image providers
/// "symbol", "shadow", "remote" and "photo". The Quick Controls style is pinned first, so no
/// desktop style setting changes the views. The QML engine itself is made when a window first asks
/// for it: an agent that only sits in the tray holds none. Its asynchronous incubations are made in
/// short steps (SteppedIncubation).
class ViewEngine {
public:
    ViewEngine(PanelModel* model, RemoteImageCache& remote, BrandArtwork artwork = BrandArtwork());
    ~ViewEngine();

    ViewEngine(const ViewEngine&) = delete;
    ViewEngine& operator=(const ViewEngine&) = delete;

    /// The engine, made at the first call.
    QQmlEngine& engine();
    /// Whether a window has asked for the engine yet.
    bool hasEngine() const { return engine_ != nullptr; }
    ViewPalette& palette() { return *palette_; }
    PictureSources& pictures() { return *pictures_; }
    const BrandArtwork& artwork() const { return artwork_; }

    /// Pins the style before any engine exists (once per process).
    static void pinStyle();

private:
    BrandArtwork artwork_;
    RemoteImageCache& remote_;
    std::unique_ptr<ViewPalette> palette_;
    std::unique_ptr<ArtworkSources> artworkSources_;
    std::unique_ptr<PictureSources> pictures_;
    SteppedIncubation incubation_;
    std::unique_ptr<QQmlEngine> engine_;
};

} // namespace velto
