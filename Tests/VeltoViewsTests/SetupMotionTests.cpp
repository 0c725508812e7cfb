// The reduced-motion wish, the pictures' clock while the window is minimised, and the pictures
// fetched ahead.
#include "VeltoDesktop/Setup/ArtworkPrefetch.hpp"
#include "VeltoDesktop/Setup/MotionPreference.hpp"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusVariant>
#include <QTest>
#include <QWindow>

#include "FakeSetupModel.hpp"
#include "SetupWindowFixture.hpp"

namespace velto::testing {
namespace {

TEST(MotionPreferenceTest, TheOverrideDecidesWithoutAskingTheDesktop) {
    const QDBusConnection noBus(QStringLiteral("velto-no-bus"));
    EXPECT_TRUE(MotionPreference({{"VELTO_REDUCE_MOTION", "1"}}, noBus).reduceMotion());
    EXPECT_FALSE(MotionPreference({{"VELTO_REDUCE_MOTION", "0"}}, noBus).reduceMotion());
    EXPECT_FALSE(MotionPreference({{"VELTO_REDUCE_MOTION", "yes"}}, noBus).reduceMotion())
        << "another value is no override; without a portal motion is not reduced";
    EXPECT_FALSE(MotionPreference({}, noBus).reduceMotion());
}

TEST(MotionPreferenceTest, WhatThePortalsSettingsSay) {
    struct Case {
        QString group;
        QString key;
        QVariant value;
        std::optional<bool> reduces;
    };
    const std::vector<Case> cases{
        {"org.gnome.desktop.interface", "enable-animations", false, true},
        {"org.gnome.desktop.interface", "enable-animations", true, false},
        {"org.gnome.desktop.interface", "enable-animations", QVariant::fromValue(QDBusVariant(false)), true},
        {"org.gnome.desktop.interface", "enable-animations", QString("false"), std::nullopt},
        {"org.kde.kdeglobals.KDE", "AnimationDurationFactor", 0.0, true},
        {"org.kde.kdeglobals.KDE", "AnimationDurationFactor", 0.5, false},
        {"org.kde.kdeglobals.KDE", "AnimationDurationFactor", QString("fast"), std::nullopt},
        {"org.gnome.desktop.interface", "gtk-theme", QString("Adwaita"), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MotionPreference::reducesMotion(c.group, c.key, c.value), c.reduces)
            << c.group.toStdString() << " " << c.key.toStdString() << " " << c.value.toString().toStdString();
}

class SetupClockTest : public SetupWindowFixture {};

TEST_F(SetupClockTest, TheMinimiseBeadMinimisesAndThePicturesStopMeanwhile) {
    auto& view = shown();
    settle();
    ASSERT_TRUE(window->clock());
    EXPECT_TRUE(window->clock()->isRunning());
    click(item("minimizeBead"));
    EXPECT_EQ(view.visibility(), QWindow::Minimized);
    EXPECT_FALSE(window->clock()->isRunning());
    view.showNormal();
    settle();
    EXPECT_TRUE(window->clock()->isRunning());
}

TEST_F(SetupClockTest, ThePicturesStopWhileAnotherWindowHasTheFocus) {
    auto& view = shown();
    settle();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    EXPECT_TRUE(window->clock()->isRunning());
    QWindow other;
    other.resize(120, 80);
    other.show();
    other.requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(window->clock()->isRunning());
    view.requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    EXPECT_TRUE(window->clock()->isRunning());
}

TEST(ArtworkPrefetchTest, EachUsersPictureThenItsOrganizationsInOrder) {
    auto acme = sampleEnrollment("d1", "Acme");
    acme.user.avatarURL = boost::urls::url("https://velto.example/u/ana.png");
    acme.organization.avatarURL = boost::urls::url("https://velto.example/o/acme.png");
    auto globex = sampleEnrollment("d2", "Globex");
    globex.organization.avatarURL = boost::urls::url("https://velto.example/o/globex.png");
    EXPECT_EQ(ArtworkPrefetch::addresses({acme, globex}),
              (std::vector<std::string>{"https://velto.example/u/ana.png", "https://velto.example/o/acme.png",
                                        "https://velto.example/o/globex.png"}));
}

} // namespace
} // namespace velto::testing
