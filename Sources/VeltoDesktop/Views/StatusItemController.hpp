#pragma once

#include "VeltoDesktop/Views/BrandArtwork.hpp"
#include "VeltoDesktop/Views/StatusItemHost.hpp"
#include "VeltoDesktop/Views/StatusPanel.hpp"
#include "VeltoDevice/Connection/OverallConnection.hpp"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace velto {

class PanelModel;
class StatusMenuController;

/// The tray item and its panel. The host is chosen by our own checks: with a tray, its icon follows
/// the overall connection and a click opens the panel at the icon (or at the pointer, for trays that
/// give no place), a click on the open panel's icon closes it; without one, the panel's content is a
/// normal window, and a tray is looked for again every 2 s while that window is shown (nothing ticks
/// once it is closed: its next showing looks first). The panel closes when focus leaves
/// the application (a click in any window of ours, the setup window's included, keeps it open), on
/// Escape, when a screen goes, and through the model's `closeMenu`; a tray click within 300 ms of a
/// focus close was that close's own click, not a reopen. Main thread.
class StatusItemController final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds recheckInterval{2000};
    static constexpr std::chrono::milliseconds closingClickWindow{300};

    struct Dependencies {
        std::shared_ptr<StatusItemHostDetecting> detection;
        std::function<std::unique_ptr<StatusItemHost>()> makeHost;
        /// The pointer's position, for trays that give no geometry; nothing where it is unknown.
        std::function<std::optional<QPoint>()> pointer;
        /// Monotonic time, for the closing click.
        std::function<std::chrono::steady_clock::time_point()> now;
        BrandArtwork artwork;
        /// The tray's ink, asked each time the icon is drawn.
        std::function<QColor()> ink;
    };

    /// The panel is asked for at its first use (a click, or the window that stands in for the tray);
    /// nothing from `panel` leaves the item without one, as without a display.
    StatusItemController(PanelModel& model, StatusMenuController& menu, std::function<StatusPanel*()> panel,
                         Dependencies dependencies, QObject* parent = nullptr);
    ~StatusItemController() override;

    /// Whether the status item is in the tray (else its content is a window).
    bool hasTray() const { return host_ != nullptr; }
    StatusItemHost* host() const { return host_.get(); }

    /// A click on the tray icon.
    void toggle();
    void open();
    /// The closing steps: the panel goes, its confirmations with it.
    void close();
    /// The model's `closeMenu`: the closing steps, and nothing at all before the panel exists.
    void closeMenu();
    /// A second launch from the desktop entry: the window comes forward (without a tray).
    void bringForward();
    /// Looks for a tray again; the timer calls it every 2 s while the window stands in for one.
    void recheck();
    /// Whether the 2 s look for a tray runs.
    bool isLookingForTray() const { return recheckTimer_.isActive(); }
    /// Draws the icon again, in the tray's ink of now.
    void redrawIcon();

private:
    /// Makes the tray's host when a tray is there now; true when there is one.
    bool takeUpTray();
    void showWindow();
    void updateIcon();
    void focusChanged(QWindow* focused);
    /// The panel, made at the first call; nothing where it cannot be made.
    StatusPanel* panel();
    /// Whether the panel is made and shown (in `mode`, when given).
    bool isShown(std::optional<StatusPanel::Mode> mode = std::nullopt) const;

    QPointer<PanelModel> model_;
    StatusMenuController& menu_;
    std::function<StatusPanel*()> makePanel_;
    QPointer<StatusPanel> panel_;
    Dependencies dependencies_;
    std::unique_ptr<StatusItemHost> host_;
    QTimer recheckTimer_;
    bool hasShownWindow_ = false;
    std::optional<OverallConnection> iconShown_;
    OverallConnection shown_ = OverallConnection::notEnrolled;
    std::optional<std::chrono::steady_clock::time_point> focusClosedAt_;
};

} // namespace velto
