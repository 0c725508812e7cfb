#pragma once

#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/Views/AppPanelModel.hpp"
#include "VeltoDesktop/Views/MenuPanel.hpp"
#include "VeltoDesktop/Views/StatusItemController.hpp"
#include "VeltoDesktop/Views/StatusMenuController.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"

#include <QGuiApplication>
#include <QQuickItem>
#include <QScreen>
#include <QTest>
#include <chrono>
#include <memory>
#include <qpa/qwindowsysteminterface.h>
#include <vector>

#include "FixedSigningKey.hpp"
#include "ManualAnimationDriver.hpp"
#include "RecordingUrlOpening.hpp"
#include "TestServices.hpp"
#include "ViewFixture.hpp"

namespace velto::testing {

class FakeTrayDetection final : public StatusItemHostDetecting {
public:
    bool hasHost() override {
        ++checks;
        return present;
    }
    bool present = true;
    int checks = 0;
};

class FakeTrayHost final : public StatusItemHost {
public:
    void show(const QIcon& shownIcon, const QString& shownLabel) override {
        icon = shownIcon;
        label = shownLabel;
        ++shows;
    }
    std::optional<QRect> geometry() const override { return place; }
    void click() { Q_EMIT activated(); }

    QIcon icon;
    QString label;
    int shows = 0;
    std::optional<QRect> place = QRect(1000, 0, 24, 24);
};

/// The panel over a model of test services, with a fake tray, hand-driven animations and a clock.
class PanelFixture : public ViewFixture {
protected:
    void SetUp() override {
        model = std::make_unique<AppModel>(loop.mainExecutor(), services);
        panelModel = std::make_unique<AppPanelModel>(*model);
        menu = std::make_unique<StatusMenuController>(
            *panelModel, urls, [this] { ++quits; }, [this] { ++loginSettingsShown; });
        MenuPanel::Dependencies dependencies;
        dependencies.isCompositing = [this] { return compositing; };
        dependencies.placesWindows = true;
        dependencies.screens = [this] { return screens ? *screens : MenuPanel::systemScreens(); };
        panel = std::make_unique<MenuPanel>(*views, *menu, dependencies);
    }

    void TearDown() override {
        // The model's own coroutines must end before it goes.
        loop.drain();
        statusItem.reset();
        panel.reset();
        menu.reset();
        panelModel.reset();
        model.reset();
        ViewFixture::TearDown();
    }

    /// The tray item, looking for a tray through `chosen` (else the fake detection); the model's
    /// `closeMenu` closes its panel.
    void makeStatusItem(std::shared_ptr<StatusItemHostDetecting> chosen = nullptr) {
        StatusItemController::Dependencies dependencies;
        dependencies.detection = chosen ? std::move(chosen) : detection;
        dependencies.makeHost = [this] {
            auto made = std::make_unique<FakeTrayHost>();
            host = made.get();
            return made;
        };
        dependencies.pointer = [] { return std::optional<QPoint>(QPoint(600, 10)); };
        dependencies.now = [this] { return now; };
        dependencies.ink = [] { return QColor(Qt::black); };
        statusItem = std::make_unique<StatusItemController>(
            *panelModel, *menu, [this]() -> StatusPanel* { return panel.get(); }, std::move(dependencies));
        model->setCloseMenu([this] { statusItem->closeMenu(); });
    }

    static Enrollment enrollment(const std::string& deviceId, const std::string& name,
                                 const std::string& server = "https://velto.example") {
        return {VeltoServer::fromAddress(server),
                deviceId,
                {"org-" + deviceId, name, std::nullopt},
                {"ana", std::string("Ana Lima"), std::string("ana@acme.example"), std::nullopt}};
    }

    void adopt(const std::string& deviceId, const std::string& name) {
        model->organizations().addAndConnect(enrollment(deviceId, name), std::make_shared<FixedSigningKey>());
        loop.drain();
    }

    /// Opens the panel from the tray and lets its fade end.
    void openPanel() {
        host->click();
        settle();
        ASSERT_TRUE(panel->isVisible());
    }

    /// Positioners lay out at the window's next polish, whose time the render timer decides: a grab
    /// polishes now, and the panel then follows the card's new height.
    void layOut(QQuickWindow* window) {
        if (!window)
            return;
        window->grabWindow();
        settle();
    }

    void settle() {
        loop.drain();
        // The first show waits for the content, made in steps over the event loop's turns.
        if (panel && panel->isLoading()) {
            EXPECT_TRUE(QTest::qWaitFor([this] { return !panel->isLoading(); }));
            // Its fade starts its timer at the loop's next turn.
            loop.drain();
        }
        animations.advanceBy(500);
        QCoreApplication::processEvents();
        loop.drain();
    }

    /// The item of that name in the window's item tree (delegates and open popups included).
    static QQuickItem* find(QQuickItem* root, const QString& name) {
        if (!root)
            return nullptr;
        if (root->objectName() == name)
            return root;
        for (auto* child : root->childItems()) {
            if (auto* found = find(child, name))
                return found;
        }
        return nullptr;
    }
    QQuickItem* item(const QString& name) const {
        auto* window = panel->window();
        return window ? find(window->contentItem(), name) : nullptr;
    }

    void click(QQuickItem* target, Qt::MouseButton button = Qt::LeftButton) {
        ASSERT_TRUE(target);
        ASSERT_TRUE(target->isVisible());
        auto* window = target->window();
        layOut(window);
        const auto centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint();
        QTest::mouseClick(window, button, {}, centre);
        settle();
    }

    /// The focus goes to another application's window: Qt then has no focus window of ours.
    static void focusAnotherApplication() {
        QWindowSystemInterface::handleWindowActivated(nullptr, Qt::ActiveWindowFocusReason);
        QWindowSystemInterface::flushWindowSystemEvents();
    }

    /// A popup's entry, found in the window's overlay once the popup is open.
    QQuickItem* entry(const QString& name) const { return item(name); }

    ManualAnimationDriver animations;
    std::shared_ptr<TestServices> services = std::make_shared<TestServices>(loop);
    std::unique_ptr<AppModel> model;
    std::unique_ptr<AppPanelModel> panelModel;
    std::shared_ptr<RecordingUrlOpening> urls = std::make_shared<RecordingUrlOpening>();
    int quits = 0;
    int loginSettingsShown = 0;
    bool compositing = false;
    std::unique_ptr<StatusMenuController> menu;
    std::unique_ptr<MenuPanel> panel;
    std::shared_ptr<FakeTrayDetection> detection = std::make_shared<FakeTrayDetection>();
    FakeTrayHost* host = nullptr;
    std::chrono::steady_clock::time_point now{std::chrono::seconds(1000)};
    std::unique_ptr<StatusItemController> statusItem;
    /// Screens the panel is placed on, in place of the offscreen ones.
    std::optional<std::vector<PanelPlacement::Screen>> screens;
};

} // namespace velto::testing
