#include "VeltoDesktop/Setup/SetupWindow.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Setup/ArtworkPrefetch.hpp"
#include "VeltoDesktop/Setup/GlobeWires.hpp"
#include "VeltoDesktop/Setup/IllustrationScenes.hpp"
#include "VeltoDesktop/Setup/Motion.hpp"
#include "VeltoDesktop/Setup/MotionPreference.hpp"
#include "VeltoDesktop/Setup/OrbitRings.hpp"
#include "VeltoDesktop/Setup/PairStepModel.hpp"
#include "VeltoDesktop/Setup/SetupFlow.hpp"
#include "VeltoDesktop/UserTexts.hpp"

#include <QEvent>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickGraphicsConfiguration>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>
#include <QTimer>
#include <QtQml/qqml.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace velto {

namespace {

/// The pictures' geometry and the springs, stateless and shared by every window of the engine, and
/// the pictures' line drawings (`import Velto.Drawing`), registered once for the process.
void provideShared(QQmlEngine& engine) {
    static const bool registered = [] {
        qmlRegisterType<OrbitRings>("Velto.Drawing", 1, 0, "OrbitRings");
        qmlRegisterType<GlobeWires>("Velto.Drawing", 1, 0, "GlobeWires");
        return true;
    }();
    Q_UNUSED(registered);
    auto* context = engine.rootContext();
    if (context->contextProperty(QStringLiteral("setupScenes")).isValid())
        return;
    context->setContextProperty(QStringLiteral("setupScenes"), new IllustrationScenes(&engine));
    context->setContextProperty(QStringLiteral("setupMotion"), new Motion(&engine));
}

/// Gives back what a closed window held once its objects are gone: their script wrappers, the
/// components no other window of the engine still uses (an open panel keeps its own), and the heap
/// pages freed with them, which glibc would otherwise keep for the process's life.
void releaseClosedWindow(QQmlEngine& engine) {
    engine.collectGarbage();
    engine.trimComponentCache();
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

SetupWindow::SetupWindow(Dependencies dependencies, QObject* parent)
    : QObject(parent), dependencies_(std::move(dependencies)) {
    auto& pair = dependencies_.flow.pair;
    connect(&pair, &PairStepModel::organizationsChanged, this, [this] {
        if (window_ && dependencies_.pictures)
            ArtworkPrefetch::load(*dependencies_.pictures, dependencies_.flow.pair.enrollments());
    });
}

SetupWindow::~SetupWindow() {
    if (window_) {
        // Nothing of this object may run while the window takes itself down.
        window_->removeEventFilter(this);
        window_->disconnect(this);
        delete window_.data();
    }
    delete flow_.data();
    delete clock_.data();
}

void SetupWindow::show() {
    if (!window_)
        make();
    if (!window_)
        return;
    window_->showNormal();
    // A platform without a window stack (offscreen) has nothing to raise into, and says so.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        window_->raise();
    window_->requestActivate();
}

void SetupWindow::make() {
    auto& engine = *dependencies_.engine.get();
    provideShared(engine);
    // The hooks hold this object weakly and reach the window it has when they run.
    QPointer<SetupWindow> self(this);
    auto flowDependencies = dependencies_.flow;
    flowDependencies.finish = [self] {
        if (self && self->window_)
            self->window_->close();
    };
    flowDependencies.closeWindow = flowDependencies.finish;
    flowDependencies.minimizeWindow = [self] {
        if (self && self->window_)
            self->window_->showMinimized();
    };
    auto* flow = new SetupFlow(std::move(flowDependencies));
    auto* clock = new IllustrationClock(dependencies_.time);
    if (auto* motion = dependencies_.motion) {
        clock->setReduceMotion(motion->reduceMotion());
        connect(motion, &MotionPreference::reduceMotionChanged, clock,
                [clock, motion] { clock->setReduceMotion(motion->reduceMotion()); });
    }

    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Velto/Setup/SetupView.qml")));
    QQuickItem* root = nullptr;
    // Qt 6.4 cannot give initial properties to a component that did not load.
    if (component.isReady())
        root = qobject_cast<QQuickItem*>(
            component.createWithInitialProperties({{QStringLiteral("flow"), QVariant::fromValue(flow)},
                                                   {QStringLiteral("clock"), QVariant::fromValue(clock)}}));
    if (!root) {
        appLog().error("could not make the setup window: " + component.errorString().toStdString());
        delete flow;
        delete clock;
        return;
    }
    auto* window = new QQuickView(&engine, nullptr);
    // Nearly everything in this window is blended (rounded, antialiased or translucent) and so drawn
    // back to front anyway: a depth buffer would only add its clear and a test on every pixel of every
    // frame a picture draws, which a software rasteriser pays in full.
    QQuickGraphicsConfiguration graphics = window->graphicsConfiguration();
    graphics.setDepthBufferFor2D(false);
    window->setGraphicsConfiguration(graphics);
    window->setFlags(Qt::Window | Qt::FramelessWindowHint);
    window->setTitle(UserTexts::setupWindowTitle());
    window->setMinimumSize(size);
    window->setMaximumSize(size);
    window->resize(size);
    window->setResizeMode(QQuickView::SizeRootObjectToView);
    window->setContent(QUrl(), &component, root);
    if (auto* screen = QGuiApplication::primaryScreen()) {
        const auto area = screen->availableGeometry();
        window->setPosition(area.center() - QPoint(size.width() / 2, size.height() / 2));
    }
    window->installEventFilter(this);

    // QQuickCloseEvent is not public: the signal is joined by name.
    connect(window, SIGNAL(closing(QQuickCloseEvent*)), this, SLOT(willClose()));
    connect(window, &QWindow::visibilityChanged, this, [this] { updateRunning(); });
    connect(window, &QWindow::activeChanged, this, [this] { updateRunning(); });

    window_ = window;
    flow_ = flow;
    clock_ = clock;
    appLog().info("the setup window opens");
    if (dependencies_.pictures)
        ArtworkPrefetch::load(*dependencies_.pictures, dependencies_.flow.pair.enrollments());
}

bool SetupWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Expose)
        updateRunning();
    return QObject::eventFilter(watched, event);
}

void SetupWindow::updateRunning() {
    if (!window_ || !clock_)
        return;
    // A window the user is not looking at (hidden, minimised or behind another's focus) keeps its
    // pictures still: each of their frames redraws the whole window.
    const auto visibility = window_->visibility();
    clock_->setRunning(window_->isExposed() && window_->isActive() && visibility != QWindow::Minimized &&
                       visibility != QWindow::Hidden);
}

void SetupWindow::willClose() {
    // A link that waited for confirmation here goes with the window; one being spent stays.
    auto& pair = dependencies_.flow.pair;
    if (!pair.isSpending())
        pair.dismissPrompt();
    if (window_) {
        window_->removeEventFilter(this);
        window_->disconnect(this);
        // The flow and the clock go in the same round of deferred deletions; the release waits
        // for the round's end, and for nothing if the engine goes first.
        QQmlEngine* engine = dependencies_.engine.get();
        connect(window_, &QObject::destroyed, engine,
                [engine] { QTimer::singleShot(0, engine, [engine] { releaseClosedWindow(*engine); }); });
        window_->deleteLater();
    }
    if (flow_)
        flow_->deleteLater();
    if (clock_)
        clock_->deleteLater();
    window_ = nullptr;
    flow_ = nullptr;
    clock_ = nullptr;
    Q_EMIT closed();
}

} // namespace velto
