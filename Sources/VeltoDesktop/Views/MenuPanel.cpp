#include "VeltoDesktop/Views/MenuPanel.hpp"

#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/StatusMenuController.hpp"
#include "VeltoDesktop/Views/ViewEngine.hpp"
#include "VeltoDesktop/Views/WindowFront.hpp"
#include "VeltoDesktop/Views/X11Selections.hpp"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQuickItem>
#include <QScreen>
#include <cmath>

namespace velto {

MenuPanel::Dependencies MenuPanel::system() {
    Dependencies dependencies;
    const auto platform = QGuiApplication::platformName();
    const bool isWayland = platform.startsWith(QLatin1String("wayland"));
    dependencies.isCompositing = [isWayland] { return isWayland || X11Selections::hasCompositor(); };
    dependencies.placesWindows = !isWayland;
    dependencies.screens = &MenuPanel::systemScreens;
    return dependencies;
}

std::vector<PanelPlacement::Screen> MenuPanel::systemScreens() {
    std::vector<PanelPlacement::Screen> screens;
    const auto* primary = QGuiApplication::primaryScreen();
    for (const auto* screen : QGuiApplication::screens())
        screens.push_back({screen->geometry(), screen->availableGeometry(), screen == primary});
    return screens;
}

MenuPanel::MenuPanel(ViewEngine& views, StatusMenuController& menu, Dependencies dependencies,
                     QObject* parent)
    : StatusPanel(parent), views_(views), menu_(menu), dependencies_(std::move(dependencies)) {}

MenuPanel::~MenuPanel() = default;

void MenuPanel::make() {
    view_ = std::make_unique<QQuickView>(&views_.engine(), nullptr);
    view_->setTitle(UserTexts::panelWindowTitle());
    view_->setResizeMode(QQuickView::SizeViewToRootObject);
    view_->setInitialProperties({{"menu", QVariant::fromValue(static_cast<QObject*>(&menu_))},
                                 {"panel", QVariant::fromValue(static_cast<QObject*>(this))}});
    view_->setSource(QUrl(QStringLiteral("qrc:/Velto/Views/PanelContent.qml")));
    content_ = view_->rootObject();
    if (content_) {
        // Queued: placing sets the cap, which the content's height binding reads.
        connect(content_, &QQuickItem::implicitHeightChanged, this, &MenuPanel::fit, Qt::QueuedConnection);
        connect(content_, &QQuickItem::implicitWidthChanged, this, &MenuPanel::fit, Qt::QueuedConnection);
        // The content's height is capped at the last placement's: a card that grows past it is
        // heard from the card itself.
        if (auto* card = content_->findChild<QQuickItem*>(QStringLiteral("statusMenu")))
            connect(card, &QQuickItem::implicitHeightChanged, this, &MenuPanel::fit, Qt::QueuedConnection);
    }
}

void MenuPanel::show(Mode mode, std::optional<QRect> anchor) {
    if (!view_)
        make();
    if (!content_)
        return;
    mode_ = mode;
    anchor_ = anchor;
    const bool transparent =
        mode == Mode::panel && dependencies_.isCompositing && dependencies_.isCompositing();
    if (mode == Mode::panel)
        view_->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    else
        view_->setFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                        Qt::WindowMinimizeButtonHint);
    view_->setColor(transparent ? QColor(Qt::transparent) : views_.palette().window());
    content_->setProperty("hasShadow", transparent);
    fit();
    QMetaObject::invokeMethod(content_, "fadeIn");
    bringToFront(*view_);
    content_->forceActiveFocus();
}

void MenuPanel::fit() {
    if (!view_ || !content_)
        return;
    const int margin = content_->property("margin").toInt();
    // The card's own height, before any cap.
    const auto* card = content_->findChild<QQuickItem*>(QStringLiteral("statusMenu"));
    const int cardHeight = card ? static_cast<int>(std::ceil(card->implicitHeight())) : 0;
    const QSize cardSize(360, cardHeight);
    if (mode_ == Mode::panel && dependencies_.placesWindows && anchor_ && dependencies_.screens) {
        placement_ = PanelPlacement::place(*anchor_, cardSize, margin, dependencies_.screens());
        if (content_->property("heightCap").toInt() != placement_->cardHeight)
            content_->setProperty("heightCap", placement_->cardHeight);
        // The window belongs to the screen it is placed on (its pixel ratio comes from there).
        const auto centre = placement_->frame.center();
        for (auto* screen : QGuiApplication::screens()) {
            if (screen->geometry().contains(centre) && view_->screen() != screen) {
                view_->setScreen(screen);
                break;
            }
        }
        view_->setGeometry(placement_->frame);
    } else {
        content_->setProperty("heightCap", 100000);
        view_->resize(360 + 2 * margin, cardHeight + 2 * margin);
    }
}

void MenuPanel::hide() {
    if (view_)
        view_->hide();
}

bool MenuPanel::isVisible() const {
    return view_ && view_->isVisible();
}

} // namespace velto
