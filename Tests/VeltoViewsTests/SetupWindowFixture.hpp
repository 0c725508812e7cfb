#pragma once

#include "VeltoDesktop/Setup/SetupFlow.hpp"
#include "VeltoDesktop/Setup/SetupWindow.hpp"

#include <QQuickItem>
#include <QQuickView>
#include <QTest>
#include <QtQuickTest/quicktest.h>
#include <memory>
#include <vector>

#include "FakeSetupModel.hpp"
#include "ManualAnimationDriver.hpp"
#include "RecordingUrlOpening.hpp"
#include "ShownSetupWindow.hpp"
#include "ViewFixture.hpp"

namespace velto::testing {

/// A setup window over a fake model and a clock the test sets, in the views' engine.
class SetupWindowFixture : public ViewFixture {
protected:
    /// 1 January 2001 plus about 24 years: a moment the pictures are pinned to.
    static constexpr double pinnedTime = 756'000'000.0;

    void TearDown() override {
        window.reset();
        ViewFixture::TearDown();
    }

    SetupWindow& makeWindow() {
        window = std::make_unique<SetupWindow>(
            SetupWindow::Dependencies{model.flowDependencies(*pageOpener, loop.mainExecutor()),
                                      &views->engine(), &remote, nullptr, [this] { return time; }});
        return *window;
    }
    /// Shows the window and waits until it is exposed.
    QQuickView& shown() {
        if (!window)
            makeWindow();
        auto& shown = shownSetupWindow(*window);
        loop.drain();
        return shown;
    }
    /// The first item of the window with that object name; also among the items that repeaters
    /// made, which only the visual tree holds.
    QQuickItem* item(const char* name) {
        if (!window || !window->window())
            return nullptr;
        auto* root = window->window()->rootObject();
        if (auto* found = root->findChild<QQuickItem*>(name))
            return found;
        std::vector<QQuickItem*> pending{root};
        while (!pending.empty()) {
            auto* next = pending.back();
            pending.pop_back();
            if (next->objectName() == QLatin1String(name))
                return next;
            const auto children = next->childItems();
            pending.insert(pending.end(), children.begin(), children.end());
        }
        return nullptr;
    }
    void setTime(double seconds) {
        time = seconds;
        if (window && window->clock())
            window->clock()->jump();
    }

    /// Runs the loops and moves the animations past every transition.
    void settle() {
        loop.drain();
        animations.advanceBy(1500);
        loop.drain();
        // Layouts move in the polish before a frame: a click aims at where things are drawn.
        if (window && window->window()) {
            EXPECT_TRUE(QQuickTest::qWaitForPolish(window->window()));
        }
    }
    /// A real click at the item's centre, then settles.
    void click(QQuickItem* target) {
        ASSERT_TRUE(target);
        ASSERT_TRUE(target->isVisible());
        const auto centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint();
        QTest::mouseClick(target->window(), Qt::LeftButton, {}, centre);
        settle();
    }
    /// Clicks the footer button of that name after checking its title.
    void clickFooter(const char* name, const char* title) {
        auto* button = item(name);
        ASSERT_TRUE(button);
        EXPECT_EQ(button->property("text").toString(), title);
        click(button);
    }

    ManualAnimationDriver animations;
    FakeSetupModel model{loop.deviceExecutor()};
    RecordingUrlOpening opener;
    /// What the window hands pages to: `opener` unless the test sets another before the window.
    UrlOpening* pageOpener = &opener;
    double time = pinnedTime;
    std::unique_ptr<SetupWindow> window;
};

} // namespace velto::testing
