#include "VeltoDesktop/Views/PanelPlacement.hpp"

#include <gtest/gtest.h>

namespace velto {
namespace {

using Screen = PanelPlacement::Screen;

const Screen primary{QRect(0, 0, 1920, 1080), QRect(0, 28, 1920, 1052), true};
const Screen second{QRect(1920, 0, 1280, 1024), QRect(1920, 0, 1280, 1024), false};
const QSize card(360, 300);
constexpr int margin = 24;

TEST(PanelPlacementTest, BelowATopAnchorCentredWithTheGap) {
    auto placed = PanelPlacement::place(QRect(1000, 2, 24, 24), card, margin, {primary});
    EXPECT_FALSE(placed.opensAbove);
    // 6 below the anchor would be inside the top bar: the card keeps 8 inside the work area.
    EXPECT_EQ(placed.frame, QRect(1012 - 204, 28 + 8 - margin, 408, 348));
    auto lower = PanelPlacement::place(QRect(1000, 100, 24, 24), card, margin, {primary});
    EXPECT_EQ(lower.frame.top() + margin, 124 + 6);
    EXPECT_EQ(placed.cardHeight, 300);
}

TEST(PanelPlacementTest, TheCardKeepsEightFromEitherEdge) {
    auto left = PanelPlacement::place(QRect(0, 2, 24, 24), card, margin, {primary});
    EXPECT_EQ(left.frame.left() + margin, 8);
    auto right = PanelPlacement::place(QRect(1900, 2, 20, 24), card, margin, {primary});
    EXPECT_EQ(right.frame.right() + 1 - margin, 1920 - 8);
    // A card wider than the work area: the right clamp wins.
    auto wide = PanelPlacement::place(QRect(100, 2, 24, 24), QSize(2000, 100), 0, {primary});
    EXPECT_EQ(wide.frame.right() + 1, 1920 - 8);
}

TEST(PanelPlacementTest, ABottomPanelOpensAboveTheAnchor) {
    const Screen bottomBar{QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1040), true};
    auto placed = PanelPlacement::place(QRect(1800, 1048, 24, 24), card, margin, {bottomBar});
    EXPECT_TRUE(placed.opensAbove);
    EXPECT_EQ(placed.frame.bottom() + 1 - margin, 1040 - 8);
}

TEST(PanelPlacementTest, ATallCardIsCappedToTheWorkArea) {
    auto placed = PanelPlacement::place(QRect(1000, 2, 24, 24), QSize(360, 5000), margin, {primary});
    EXPECT_EQ(placed.cardHeight, 1052 - 16);
    EXPECT_EQ(placed.frame.top() + margin, 28 + 8);
    EXPECT_EQ(placed.frame.height(), placed.cardHeight + 2 * margin);
}

TEST(PanelPlacementTest, OnAShortScreenTheCappedCardStaysOffTheIcon) {
    const Screen shortScreen{QRect(0, 0, 800, 400), QRect(0, 0, 800, 400), true};
    struct Case {
        const char* what;
        QRect anchor;
    };
    const Case cases[] = {{"an icon in a top bar", QRect(700, 2, 24, 24)},
                          {"a pointer low in the upper half", QRect(400, 150, 1, 1)},
                          {"an icon in a bottom bar", QRect(700, 376, 24, 24)},
                          {"a pointer high in the lower half", QRect(400, 260, 1, 1)}};
    for (const auto& c : cases) {
        auto placed = PanelPlacement::place(c.anchor, QSize(360, 900), margin, {shortScreen});
        const QRect cardRect = placed.frame.adjusted(margin, margin, -margin, -margin);
        EXPECT_FALSE(cardRect.intersects(c.anchor)) << c.what;
        EXPECT_TRUE(QRect(8, 8, 784, 384).contains(cardRect)) << c.what;
        EXPECT_GT(placed.cardHeight, 90) << c.what;
        EXPECT_EQ(placed.frame.height(), placed.cardHeight + 2 * margin) << c.what;
    }
}

TEST(PanelPlacementTest, TheSecondScreenIsUsedForItsAnchor) {
    auto placed = PanelPlacement::place(QRect(3180, 500, 16, 16), card, 0, {primary, second});
    EXPECT_EQ(placed.screen, 1u);
    EXPECT_EQ(placed.frame.right() + 1, 3200 - 8);
    // An anchor across both: the larger overlap.
    EXPECT_EQ(PanelPlacement::screenFor(QRect(1900, 10, 100, 20), {primary, second}), 1u);
}

TEST(PanelPlacementTest, AnAnchorOffEveryScreenUsesThePrimaryAndNoScreenPlacesUnclamped) {
    auto placed = PanelPlacement::place(QRect(-5000, -5000, 10, 10), card, 0, {second, primary});
    EXPECT_EQ(placed.screen, 1u);
    EXPECT_TRUE(QRect(0, 28, 1920, 1052).contains(placed.frame));
    auto none = PanelPlacement::place(QRect(100, 100, 10, 10), card, margin, {});
    EXPECT_FALSE(none.screen);
    EXPECT_EQ(none.frame, QRect(105 - 204, 110 + 6 - margin, 408, 348));
}

} // namespace
} // namespace velto
