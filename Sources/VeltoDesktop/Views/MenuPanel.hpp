#pragma once

#include "VeltoDesktop/Views/PanelPlacement.hpp"
#include "VeltoDesktop/Views/StatusPanel.hpp"

#include <QObject>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlError>
#include <QQuickItem>
#include <QQuickView>
#include <functional>
#include <memory>
#include <optional>

namespace velto {

class StatusMenuController;
class ViewEngine;

/// The window that holds the status menu: made on first use and kept, its content made in steps off
/// the first `show`, which takes effect once the content is made (`isLoading` until then). As a panel it is a
/// frameless tool window on top, placed at the anchor, transparent with the shadow's margin while a
/// compositor runs and an opaque card without it, its content fading in over 0.12 s. Without a tray it is a
/// normal window with the same content. It follows its content's height and is placed again.
class MenuPanel final : public StatusPanel {
    Q_OBJECT

public:
    struct Dependencies {
        /// Whether a compositor draws transparent windows.
        std::function<bool()> isCompositing;
        /// Whether windows may be placed by the application (not on Wayland).
        bool placesWindows = true;
        /// The screens, as PanelPlacement reads them.
        std::function<std::vector<PanelPlacement::Screen>()> screens;
    };

    MenuPanel(ViewEngine& views, StatusMenuController& menu, Dependencies dependencies,
              QObject* parent = nullptr);
    ~MenuPanel() override;

    void show(Mode mode, std::optional<QRect> anchor) override;
    void hide() override;
    bool isVisible() const override;
    bool exists() const override { return view_ != nullptr; }
    /// Whether the content is still being made (a show waits for it).
    bool isLoading() const { return view_ && !content_ && !failed_; }
    Mode mode() const override { return mode_; }
    /// The window, once made.
    QQuickView* window() const { return view_.get(); }
    /// The last placement.
    const std::optional<PanelPlacement>& placement() const { return placement_; }

    /// Escape in the content.
    Q_INVOKABLE void escape() { Q_EMIT escapePressed(); }

    static Dependencies system();
    /// The application's screens, as Qt has them.
    static std::vector<PanelPlacement::Screen> systemScreens();

private:
    class ContentIncubator;

    static QUrl contentUrl();
    void make();
    void contentLoaded();
    void contentMade(QObject* root);
    void contentFailed(const QList<QQmlError>& errors);
    void present();
    void fit();

    ViewEngine& views_;
    StatusMenuController& menu_;
    Dependencies dependencies_;
    // The incubator goes after the window, which owns what it made.
    std::unique_ptr<ContentIncubator> incubator_;
    std::unique_ptr<QQuickView> view_;
    // A child of the window.
    QPointer<QQmlComponent> component_;
    QPointer<QQuickItem> content_;
    Mode mode_ = Mode::panel;
    std::optional<QRect> anchor_;
    std::optional<PanelPlacement> placement_;
    /// Shown once the content is made.
    bool wanted_ = false;
    bool failed_ = false;
};

} // namespace velto
