// The menu panel over a model of test services on the software scene graph: the time from a tray
// click to the panel's first frame, cold (a panel not made yet) and warm (the kept panel opened
// again), and its resident memory open over eight organizations and after 200 open-close cycles.
#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/Views/AppPanelModel.hpp"
#include "VeltoDesktop/Views/MenuPanel.hpp"
#include "VeltoDesktop/Views/RemoteImageCache.hpp"
#include "VeltoDesktop/Views/StatusItemController.hpp"
#include "VeltoDesktop/Views/StatusMenuController.hpp"
#include "VeltoDesktop/Views/UrlOpening.hpp"
#include "VeltoDesktop/Views/ViewEngine.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QSet>
#include <QTimer>
#include <csignal>
#include <iomanip>
#include <iostream>

#include "DesktopTestLoop.hpp"
#include "FixedSigningKey.hpp"
#include "FrameWatch.hpp"
#include "Measurement.hpp"
#include "NoPages.hpp"
#include "ProcessStatus.hpp"
#include "ScriptedTransport.hpp"
#include "TestServices.hpp"

namespace velto::benchmarks {
namespace {

constexpr int organizations = 8;
constexpr int samples = 50;
constexpr int cycles = 200;
constexpr double warmGoalMs = 16;
constexpr double coldGoalMs = 150;
constexpr double growthGoalMiB = 2;

class ClickableTray final : public StatusItemHost {
public:
    void show(const QIcon&, const QString&) override {}
    std::optional<QRect> geometry() const override { return QRect(1000, 0, 24, 24); }
    void click() { Q_EMIT activated(); }
};

class AlwaysTray final : public StatusItemHostDetecting {
public:
    bool hasHost() override { return true; }
};

/// The model, the menu and the engine of the application, with panels made on demand.
class Surfaces {
public:
    Surfaces() {
        model_ = std::make_unique<AppModel>(loop_.mainExecutor(), services_);
        for (int index = 0; index < organizations; ++index) {
            const auto id = "dev-" + std::to_string(index);
            Enrollment enrollment{
                VeltoServer::fromAddress("https://velto.example"),
                id,
                {"org-" + id, "Organization " + std::to_string(index), std::nullopt},
                {"ana", std::string("Ana Lima"), std::string("ana@acme.example"), std::nullopt}};
            model_->organizations().addAndConnect(enrollment, std::make_shared<testing::FixedSigningKey>());
        }
        loop_.drain();
        panelModel_ = std::make_unique<AppPanelModel>(*model_);
        menu_ = std::make_unique<StatusMenuController>(
            *panelModel_, std::make_shared<NoPages>(), [] {}, [] {});
        views_ = std::make_unique<ViewEngine>(panelModel_.get(), remote_);
    }

    ~Surfaces() {
        loop_.drain();
        forget();
        views_.reset();
        menu_.reset();
        panelModel_.reset();
        model_.reset();
    }

    /// A new panel and tray item, as at launch.
    void makePanel() {
        forget();
        MenuPanel::Dependencies environment;
        environment.isCompositing = [] { return false; };
        environment.placesWindows = true;
        environment.screens = &MenuPanel::systemScreens;
        panel_ = std::make_unique<MenuPanel>(*views_, *menu_, environment);
        StatusItemController::Dependencies dependencies;
        dependencies.detection = std::make_shared<AlwaysTray>();
        dependencies.makeHost = [this] {
            auto made = std::make_unique<ClickableTray>();
            tray_ = made.get();
            return made;
        };
        dependencies.pointer = [] { return std::optional<QPoint>(); };
        dependencies.now = [] { return std::chrono::steady_clock::now(); };
        dependencies.ink = [] { return QColor(Qt::black); };
        statusItem_ = std::make_unique<StatusItemController>(
            *panelModel_, *menu_, [this]() -> StatusPanel* { return panel_.get(); }, std::move(dependencies));
    }

    /// A tray click, timed to the first frame the panel's window swaps.
    double openMs() {
        const int frames = frames_.frames();
        QElapsedTimer clock;
        clock.start();
        frames_.startedAt(clock);
        tray_->click();
        // The first opening makes the content over the loop's turns.
        QDeadlineTimer deadline(10'000);
        while (panel_->isLoading() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (!panel_->isVisible())
            throw std::runtime_error("the click opened no panel");
        return frames_.firstFrameAfter(frames);
    }

    void close() {
        statusItem_->close();
        QCoreApplication::processEvents();
        loop_.drain();
    }

private:
    void forget() {
        statusItem_.reset();
        panel_.reset();
        tray_ = nullptr;
    }

    FrameWatch frames_;
    testing::DesktopTestLoop loop_;
    std::shared_ptr<testing::TestServices> services_ = std::make_shared<testing::TestServices>(loop_);
    std::unique_ptr<AppModel> model_;
    std::unique_ptr<AppPanelModel> panelModel_;
    std::unique_ptr<StatusMenuController> menu_;
    RemoteImageCache remote_{loop_.mainExecutor(), loop_.deviceExecutor(), loop_.deviceExecutor(),
                             std::make_shared<testing::ScriptedTransport>()};
    std::unique_ptr<ViewEngine> views_;
    std::unique_ptr<MenuPanel> panel_;
    std::unique_ptr<StatusItemController> statusItem_;
    ClickableTray* tray_ = nullptr;
};

bool reportTimes(const std::string& figure, const std::vector<double>& times, double goal) {
    bool met = report(figure + " p50", percentile(times, 0.5), "ms", goal, false);
    return report(figure + " p95", percentile(times, 0.95), "ms", goal, false) && met;
}

} // namespace
} // namespace velto::benchmarks

int main(int argc, char** argv) {
    using namespace velto::benchmarks;
    std::signal(SIGPIPE, SIG_IGN);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    QGuiApplication application(argc, argv);
    velto::ViewEngine::pinStyle();
    discardLog();
    try {
        Surfaces surfaces;
        std::vector<double> cold;
        std::vector<double> warm;
        for (int sample = 0; sample < samples; ++sample) {
            surfaces.makePanel();
            cold.push_back(surfaces.openMs());
            surfaces.close();
        }
        surfaces.makePanel();
        surfaces.openMs();
        surfaces.close();
        for (int sample = 0; sample < samples; ++sample) {
            warm.push_back(surfaces.openMs());
            surfaces.close();
        }
        surfaces.openMs();
        const double open = statusMiB("VmRSS");
        surfaces.close();
        for (int cycle = 0; cycle < cycles; ++cycle) {
            surfaces.openMs();
            surfaces.close();
        }
        surfaces.openMs();
        const double after = statusMiB("VmRSS");
        surfaces.close();

        std::cout << std::fixed << std::setprecision(2);
        std::cout << "panel: " << organizations << " organizations, " << samples << " opens each, "
                  << QGuiApplication::platformName().toStdString() << " platform\n";
        bool met = reportTimes("tray click to first frame, cold", cold, coldGoalMs);
        met = reportTimes("tray click to first frame, warm", warm, warmGoalMs) && met;
        std::cout << "resident memory with the panel open: " << open << " MiB\n";
        met = report("resident memory growth over " + std::to_string(cycles) + " open-close cycles",
                     after - open, "MiB", growthGoalMiB, false) &&
              met;
        return met ? 0 : 1;
    } catch (const std::exception& error) {
        std::cerr << "panel measurement: " << error.what() << "\n";
        return 1;
    }
}
