#include "VeltoDesktop/Setup/SetupFlow.hpp"
#include "VeltoDesktop/Setup/SetupWindow.hpp"

#include <QCoreApplication>
#include <QPointer>
#include <QQuickView>
#include <QTest>
#include <memory>

#include "FakeSetupModel.hpp"
#include "PanelFixture.hpp"
#include "ShownSetupWindow.hpp"

namespace velto::testing {
namespace {

/// The panel and a setup window in the one engine: closing the window releases what it held
/// (script wrappers, unused components, freed heap) while the panel's views go on.
class SharedEngineTest : public PanelFixture {
protected:
    void TearDown() override {
        setup.reset();
        PanelFixture::TearDown();
    }

    QQuickView& showSetup() {
        if (!setup)
            setup = std::make_unique<SetupWindow>(
                SetupWindow::Dependencies{setupModel.flowDependencies(*urls, loop.mainExecutor()),
                                          &views->engine(), &remote, nullptr, &IllustrationClock::systemNow});
        auto& shown = shownSetupWindow(*setup);
        settle();
        return shown;
    }

    /// Closes the setup window and runs its deletion and the release after it.
    void closeSetup() {
        QPointer<QQuickView> closing(setup->window());
        closing->close();
        loop.drain();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_FALSE(closing) << "the window was deleted";
        settle();
    }

    FakeSetupModel setupModel{loop.deviceExecutor()};
    std::unique_ptr<SetupWindow> setup;
};

TEST_F(SharedEngineTest, APanelOpenOrReopenedAfterTheSetupWindowClosedStillMakesItsViews) {
    adopt("dev-1", "Acme");
    makeStatusItem();
    openPanel();
    showSetup();
    closeSetup();

    // New rows come from the panel's components after the release, open and after reopening.
    adopt("dev-2", "Zeta");
    settle();
    EXPECT_TRUE(item("organization-dev-2"));
    host->click();
    EXPECT_FALSE(panel->isVisible());
    openPanel();
    EXPECT_TRUE(item("organization-dev-1"));
    EXPECT_TRUE(item("organization-dev-2"));

    // The panel closed while a second window opens and closes, then opened again.
    host->click();
    auto& again = showSetup();
    EXPECT_TRUE(again.rootObject());
    EXPECT_EQ(setup->flow()->step(), SetupStep::pair) << "a new window starts again";
    closeSetup();
    openPanel();
    adopt("dev-3", "Orbit");
    settle();
    EXPECT_TRUE(item("organization-dev-3"));
}

} // namespace
} // namespace velto::testing
