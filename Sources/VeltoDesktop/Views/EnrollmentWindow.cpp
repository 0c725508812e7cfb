#include "VeltoDesktop/Views/EnrollmentWindow.hpp"

#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/PromptModel.hpp"
#include "VeltoDesktop/Views/ViewEngine.hpp"
#include "VeltoDesktop/Views/WindowFront.hpp"

#include <QEvent>
#include <QGuiApplication>
#include <QQuickItem>
#include <QScreen>

namespace velto {

EnrollmentWindow::EnrollmentWindow(PromptModel& model, ViewEngine& views, QObject* parent)
    : QObject(parent), model_(model), views_(views), controller_(model, [this] { close(); }) {}

EnrollmentWindow::~EnrollmentWindow() = default;

void EnrollmentWindow::show() {
    if (!view_) {
        view_ = std::make_unique<QQuickView>(&views_.engine(), nullptr);
        view_->setTitle(UserTexts::promptWindowTitle());
        view_->setFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                        Qt::WindowStaysOnTopHint);
        view_->setResizeMode(QQuickView::SizeViewToRootObject);
        view_->setColor(views_.palette().window());
        view_->setInitialProperties(
            {{"controller", QVariant::fromValue(static_cast<QObject*>(&controller_))}});
        view_->setSource(QUrl(QStringLiteral("qrc:/Velto/Views/EnrollmentPromptView.qml")));
        view_->installEventFilter(this);
        if (auto* root = view_->rootObject()) {
            auto fix = [this, root] {
                const QSize size(static_cast<int>(root->width()), static_cast<int>(root->height()));
                view_->setMinimumSize(size);
                view_->setMaximumSize(size);
            };
            connect(root, &QQuickItem::heightChanged, this, fix);
            fix();
        }
        if (auto* screen = QGuiApplication::primaryScreen()) {
            const auto area = screen->availableGeometry();
            view_->setPosition(area.center() - QPoint(view_->width() / 2, view_->height() / 2));
        }
    }
    bringToFront(*view_);
    if (auto* root = view_->rootObject())
        root->forceActiveFocus();
}

void EnrollmentWindow::close() {
    if (view_ && view_->isVisible())
        view_->close();
}

bool EnrollmentWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_.get() && event->type() == QEvent::Hide)
        model_.closed();
    return QObject::eventFilter(watched, event);
}

} // namespace velto
