#include "VeltoDesktop/Views/MenuPanel.hpp"

#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/StatusMenuController.hpp"
#include "VeltoDesktop/Views/ViewEngine.hpp"
#include "VeltoDesktop/Views/WindowFront.hpp"
#include "VeltoDesktop/Views/X11Selections.hpp"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlIncubator>
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

/// Hands the panel its content once made, or why it could not be.
class MenuPanel::ContentIncubator final : public QQmlIncubator {
public:
    explicit ContentIncubator(MenuPanel& panel) : QQmlIncubator(QQmlIncubator::Asynchronous), panel_(panel) {}

protected:
    void statusChanged(Status status) override {
        if (status == Ready)
            panel_.contentMade(object());
        else if (status == Error)
            panel_.contentFailed(errors());
    }

private:
    MenuPanel& panel_;
};

MenuPanel::~MenuPanel() = default;

void MenuPanel::make() {
    auto& engine = views_.engine();
    view_ = std::make_unique<QQuickView>(&engine, nullptr);
    view_->setTitle(UserTexts::panelWindowTitle());
    view_->setResizeMode(QQuickView::SizeViewToRootObject);
    // Compiled on the engine's loading thread and made in steps, so that the first opening never holds
    // the GUI thread for the whole content: the panel shows once it is made.
    component_ = new QQmlComponent(&engine, view_.get());
    connect(component_, &QQmlComponent::statusChanged, this, &MenuPanel::contentLoaded);
    component_->loadUrl(contentUrl(), QQmlComponent::Asynchronous);
}

QUrl MenuPanel::contentUrl() {
    return QUrl(QStringLiteral("qrc:/Velto/Views/PanelContent.qml"));
}

void MenuPanel::contentLoaded() {
    if (incubator_ || !component_ || component_->isLoading() || component_->isNull())
        return;
    if (component_->isError())
        return contentFailed(component_->errors());
    incubator_ = std::make_unique<ContentIncubator>(*this);
    incubator_->setInitialProperties({{"menu", QVariant::fromValue(static_cast<QObject*>(&menu_))},
                                      {"panel", QVariant::fromValue(static_cast<QObject*>(this))}});
    component_->create(*incubator_);
}

void MenuPanel::contentMade(QObject* root) {
    view_->setContent(contentUrl(), component_, root);
    content_ = view_->rootObject();
    if (!content_)
        return contentFailed({});
    // Queued: placing sets the cap, which the content's height binding reads.
    connect(content_, &QQuickItem::implicitHeightChanged, this, &MenuPanel::fit, Qt::QueuedConnection);
    connect(content_, &QQuickItem::implicitWidthChanged, this, &MenuPanel::fit, Qt::QueuedConnection);
    // The content's height is capped at the last placement's: a card that grows past it is heard from
    // the card itself.
    if (auto* card = content_->findChild<QQuickItem*>(QStringLiteral("statusMenu")))
        connect(card, &QQuickItem::implicitHeightChanged, this, &MenuPanel::fit, Qt::QueuedConnection);
    if (wanted_)
        present();
}

void MenuPanel::contentFailed(const QList<QQmlError>& errors) {
    failed_ = true;
    wanted_ = false;
    for (const auto& error : errors)
        qWarning("the panel cannot be shown: %s", qPrintable(error.toString()));
}

void MenuPanel::show(Mode mode, std::optional<QRect> anchor) {
    mode_ = mode;
    anchor_ = anchor;
    if (!view_)
        make();
    if (failed_)
        return;
    wanted_ = true;
    if (content_)
        present();
}

void MenuPanel::present() {
    const bool transparent =
        mode_ == Mode::panel && dependencies_.isCompositing && dependencies_.isCompositing();
    if (mode_ == Mode::panel)
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
    wanted_ = false;
    if (view_)
        view_->hide();
}

bool MenuPanel::isVisible() const {
    return view_ && view_->isVisible();
}

} // namespace velto
