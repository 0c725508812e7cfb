#include <QQuickItemGrabResult>

#include "ViewFixture.hpp"
#include "ViewTestSupport.hpp"

namespace velto::testing {
namespace {

using PanelPiecesTest = ViewFixture;

TEST_F(PanelPiecesTest, GlassPiecesDrawOnTheSoftwareSceneGraph) {
    auto view = show(R"(
Rectangle {
    color: "white"
    GlassSurface { id: card; x: 30; y: 30; width: 120; height: 60; cornerRadius: 14 }
    PanelShadow { card: card; cornerRadius: 14; z: -1 }
    GlassSurface { x: 170; y: 30; width: 60; height: 60; tint: "red" }
    GlassButton { x: 30; y: 110; text: "Allow"; isProminent: true }
    GlassButton { x: 130; y: 110; text: "Remove Acme"; isProminent: true; isDestructive: true }
    Wordmark { x: 30; y: 150; markHeight: 20 }
    ConnectionLabel { x: 120; y: 155; title: "Connected"; tint: theme.green }
    OrganizationLogo { x: 30; y: 180; side: 18; monogram: "A" }
    Avatar { x: 60; y: 180; side: 30; initial: "A"; address: "file:///etc/passwd" }
}
)",
                     QSize(260, 230));
    auto image = view->grabWindow();
    ASSERT_FALSE(image.isNull());
    // The tinted surface shows red at a quarter over white; the destructive button is red, not accent.
    const auto tinted = image.pixelColor(200, 60);
    EXPECT_NEAR(tinted.red(), 255, 4);
    EXPECT_NEAR(tinted.green(), 255 - 0.25 * 255, 8);
    const auto destructive = image.pixelColor(140, 116);
    EXPECT_GT(destructive.red(), 180);
    EXPECT_LT(destructive.blue(), 90);
    // The shadow darkens below the card.
    EXPECT_LT(image.pixelColor(90, 96).lightness(), 250);
    // A picture address of another scheme is never fetched.
    loop.drain();
    EXPECT_TRUE(pictureTransport->requests().empty());
}

TEST_F(PanelPiecesTest, APictureInTheCacheShowsInTheFirstFrame) {
    pictureTransport->answer(200, {}, encodedPicture(30, 30, QColor(0, 0, 255)));
    remote.load("https://pictures.example/ana.png");
    loop.drain();
    auto view = show(R"(
Rectangle {
    color: "white"
    Avatar { x: 0; y: 0; side: 30; initial: "A"; address: "https://pictures.example/ana.png" }
    OrganizationLogo { x: 40; y: 0; side: 30; monogram: "Z"; address: "https://pictures.example/ana.png" }
}
)",
                     QSize(80, 40));
    auto image = view->grabWindow();
    EXPECT_EQ(image.pixelColor(15, 15), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(55, 15), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::white)); // outside the circle
    EXPECT_EQ(pictureTransport->requests().size(), 1u);
}

TEST_F(PanelPiecesTest, APictureThatArrivesLaterReplacesTheInitial) {
    pictureTransport->answer(200, {}, encodedPicture(30, 30, QColor(0, 0, 255)));
    auto view = show(R"(
Rectangle { color: "white"; Avatar { side: 30; initial: "A"; address: "https://pictures.example/late.png" } }
)",
                     QSize(30, 30));
    EXPECT_NE(view->grabWindow().pixelColor(15, 15), QColor(0, 0, 255));
    loop.drain();
    QTRY_COMPARE_WITH_TIMEOUT(view->grabWindow().pixelColor(15, 15), QColor(0, 0, 255), 2000);
}

} // namespace
} // namespace velto::testing
