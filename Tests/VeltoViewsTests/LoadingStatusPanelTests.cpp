#include "VeltoDesktop/Views/LoadingStatusPanel.hpp"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <memory>
#include <vector>

namespace velto::testing {
namespace {

class RecordingPanel final : public StatusPanel {
public:
    void show(Mode shownMode, std::optional<QRect> shownAnchor) override {
        visible = true;
        mode_ = shownMode;
        anchor = shownAnchor;
        ++shows;
    }
    void hide() override { visible = false; }
    bool isVisible() const override { return visible; }
    bool exists() const override { return shows > 0; }
    Mode mode() const override { return mode_; }
    void pressEscape() { Q_EMIT escapePressed(); }

    bool visible = false;
    int shows = 0;
    std::optional<QRect> anchor;

private:
    Mode mode_ = Mode::panel;
};

/// A loading panel whose load is answered by hand.
struct Loading {
    LoadingStatusPanel panel{[this](std::function<void(StatusPanel*)> take) {
        ++asks;
        pending.push_back(std::move(take));
    }};
    RecordingPanel loaded;
    std::vector<std::function<void(StatusPanel*)>> pending;
    int asks = 0;

    void answer(StatusPanel* with) {
        for (auto& take : std::exchange(pending, {}))
            take(with);
    }
};

TEST(LoadingStatusPanel, WhatIsWantedWhileLoadingIsWhatTheLoadedPanelGets) {
    struct Case {
        const char* name;
        bool hideBeforeLoaded;
        bool expectShown;
    };
    for (const auto& c : {Case{"shown", false, true}, Case{"shown, then hidden", true, false}}) {
        Loading loading;
        const QRect anchor(1000, 0, 24, 24);
        loading.panel.show(StatusPanel::Mode::window, std::nullopt);
        loading.panel.show(StatusPanel::Mode::panel, anchor);
        EXPECT_EQ(loading.asks, 1) << c.name << ": asked once";
        EXPECT_FALSE(loading.panel.isVisible()) << c.name;
        EXPECT_FALSE(loading.panel.exists()) << c.name;
        EXPECT_EQ(loading.panel.mode(), StatusPanel::Mode::panel) << c.name;
        if (c.hideBeforeLoaded)
            loading.panel.hide();
        loading.answer(&loading.loaded);
        EXPECT_EQ(loading.panel.isVisible(), c.expectShown) << c.name;
        EXPECT_EQ(loading.loaded.shows, c.expectShown ? 1 : 0) << c.name << ": the last show only";
        if (c.expectShown) {
            EXPECT_EQ(loading.loaded.anchor, anchor) << c.name;
        }
    }
}

TEST(LoadingStatusPanel, OnceLoadedEverythingIsPassedOnAndEscapeComesBack) {
    Loading loading;
    loading.panel.show(StatusPanel::Mode::panel, std::nullopt);
    loading.answer(&loading.loaded);
    QSignalSpy escapes(&loading.panel, &StatusPanel::escapePressed);
    loading.loaded.pressEscape();
    EXPECT_EQ(escapes.count(), 1);
    loading.panel.hide();
    EXPECT_FALSE(loading.loaded.visible);
    loading.panel.show(StatusPanel::Mode::window, std::nullopt);
    EXPECT_EQ(loading.loaded.shows, 2);
    EXPECT_EQ(loading.panel.mode(), StatusPanel::Mode::window);
    EXPECT_EQ(loading.asks, 1);
}

TEST(LoadingStatusPanel, WithoutAPanelNothingEverShows) {
    Loading loading;
    loading.panel.show(StatusPanel::Mode::panel, std::nullopt);
    loading.answer(nullptr);
    EXPECT_FALSE(loading.panel.isVisible());
    EXPECT_FALSE(loading.panel.exists());
    loading.panel.show(StatusPanel::Mode::panel, std::nullopt);
    EXPECT_EQ(loading.asks, 1) << "a module that failed is not tried again";
    EXPECT_FALSE(loading.panel.isVisible());
}

TEST(LoadingStatusPanel, AnAnswerAfterThePanelWentIsDropped) {
    std::function<void(StatusPanel*)> late;
    auto panel = std::make_unique<LoadingStatusPanel>(
        [&late](std::function<void(StatusPanel*)> take) { late = std::move(take); });
    panel->show(StatusPanel::Mode::panel, std::nullopt);
    panel.reset();
    RecordingPanel loaded;
    late(&loaded);
    EXPECT_EQ(loaded.shows, 0);
}

} // namespace
} // namespace velto::testing
