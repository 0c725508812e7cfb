#include "VeltoDesktop/Views/StatusItemController.hpp"

#include "VeltoDesktop/Views/PanelModel.hpp"
#include "VeltoDesktop/Views/StatusIconPresentation.hpp"
#include "VeltoDesktop/Views/StatusMenuController.hpp"

#include <QGuiApplication>
#include <QScreen>

namespace velto {

StatusItemController::StatusItemController(PanelModel& model, StatusMenuController& menu,
                                           std::function<StatusPanel*()> panel, Dependencies dependencies,
                                           QObject* parent)
    : QObject(parent), model_(&model), menu_(menu), makePanel_(std::move(panel)),
      dependencies_(std::move(dependencies)) {
    connect(&model, &PanelModel::organizationsChanged, this, &StatusItemController::updateIcon);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &StatusItemController::focusChanged);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] {
        if (isShown(StatusPanel::Mode::panel))
            close();
    });
    recheckTimer_.setInterval(recheckInterval);
    connect(&recheckTimer_, &QTimer::timeout, this, &StatusItemController::recheck);
    recheck();
}

StatusItemController::~StatusItemController() = default;

StatusPanel* StatusItemController::panel() {
    if (!panel_ && makePanel_) {
        panel_ = makePanel_();
        if (panel_)
            connect(panel_, &StatusPanel::escapePressed, this, &StatusItemController::close);
    }
    return panel_;
}

bool StatusItemController::isShown(std::optional<StatusPanel::Mode> mode) const {
    return panel_ && panel_->isVisible() && (!mode || panel_->mode() == *mode);
}

void StatusItemController::recheck() {
    if (takeUpTray())
        return;
    if (!hasShownWindow_) {
        hasShownWindow_ = true;
        // No tray: the content opens as a normal window.
        showWindow();
    } else if (!isShown()) {
        // Nothing ticks while no window is open; the window's next showing looks again.
        recheckTimer_.stop();
    }
}

bool StatusItemController::takeUpTray() {
    if (host_)
        return true;
    if (dependencies_.detection && dependencies_.detection->hasHost() && dependencies_.makeHost) {
        host_ = dependencies_.makeHost();
        recheckTimer_.stop();
        connect(host_.get(), &StatusItemHost::activated, this, &StatusItemController::toggle);
        iconShown_.reset();
        updateIcon();
        // The window stood in for the tray; the tray takes over.
        if (isShown(StatusPanel::Mode::window))
            close();
        return true;
    }
    return false;
}

void StatusItemController::showWindow() {
    recheckTimer_.start();
    auto* shown = panel();
    if (!shown)
        return;
    shown->show(StatusPanel::Mode::window, std::nullopt);
    menu_.panelOpened();
}

void StatusItemController::updateIcon() {
    if (!model_)
        return;
    shown_ = model_->overallConnection();
    if (!host_ || iconShown_ == shown_)
        return;
    iconShown_ = shown_;
    StatusIconPresentation presentation(shown_);
    const auto ink = dependencies_.ink ? dependencies_.ink() : QColor(Qt::black);
    host_->show(presentation.icon(dependencies_.artwork, ink), QString::fromStdString(presentation.label));
}

void StatusItemController::redrawIcon() {
    iconShown_.reset();
    updateIcon();
}

void StatusItemController::toggle() {
    if (isShown()) {
        close();
        return;
    }
    if (focusClosedAt_ && dependencies_.now && dependencies_.now() - *focusClosedAt_ <= closingClickWindow) {
        // The click that took focus from the panel closed it already.
        focusClosedAt_.reset();
        return;
    }
    open();
}

void StatusItemController::open() {
    focusClosedAt_.reset();
    // A tray that came while no window was open is taken up now.
    if (!takeUpTray()) {
        showWindow();
        return;
    }
    std::optional<QRect> anchor = host_->geometry();
    if (!anchor && dependencies_.pointer) {
        if (auto point = dependencies_.pointer())
            anchor = QRect(*point, QSize(1, 1));
    }
    auto* shown = panel();
    if (!shown)
        return;
    shown->show(StatusPanel::Mode::panel, anchor);
    menu_.panelOpened();
}

void StatusItemController::close() {
    if (panel_)
        panel_->hide();
    menu_.panelClosed();
}

void StatusItemController::closeMenu() {
    if (!panel_ || !panel_->exists())
        return;
    close();
}

void StatusItemController::bringForward() {
    open();
}

void StatusItemController::focusChanged(QWindow* focused) {
    if (!isShown(StatusPanel::Mode::panel))
        return;
    // Qt reports only the application's own windows: any of them (the setup window that comes up at
    // launch, the enrollment window, the panel's popups) keeps the panel; no window at all means
    // the focus went to another application.
    if (focused)
        return;
    close();
    if (dependencies_.now)
        focusClosedAt_ = dependencies_.now();
}

} // namespace velto
