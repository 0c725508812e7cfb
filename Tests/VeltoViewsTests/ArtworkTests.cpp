#include "VeltoDesktop/Views/BrandArtwork.hpp"
#include "VeltoDesktop/Views/ShadowImage.hpp"
#include "VeltoDesktop/Views/ShapedImage.hpp"
#include "VeltoDesktop/Views/SymbolImageProvider.hpp"

#include <gtest/gtest.h>

namespace velto {
namespace {

/// The number of pixels whose alpha is above half.
int inkedPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 127 ? 1 : 0;
    return count;
}

TEST(BrandArtworkTest, EveryNamedDrawingExists) {
    BrandArtwork artwork;
    for (auto name : {"velto-wordmark", "menu-bar-v", "harness-claude-code", "harness-codex", "harness-muse",
                      "circle", "checkmark", "ellipsis", "terminal"})
        EXPECT_TRUE(artwork.has(name)) << name;
    for (auto name : {"", "../Artwork/menu-bar-v", "Menu-Bar-V", "menu-bar-v.svg", "nothing-here"})
        EXPECT_FALSE(artwork.has(name)) << name;
}

TEST(BrandArtworkTest, TemplatesTakeTheInkWhateverTheirColours) {
    BrandArtwork artwork;
    auto image = artwork.render("menu-bar-v", QSize(32, 32), QColor(10, 200, 30));
    ASSERT_TRUE(image);
    EXPECT_GT(inkedPixels(*image), 40);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const auto pixel = image->pixelColor(x, y);
            if (pixel.alpha() == 255) {
                EXPECT_EQ(pixel.rgb(), QColor(10, 200, 30).rgb());
            }
        }
}

TEST(BrandArtworkTest, StatusImagesDimAndBadge) {
    BrandArtwork artwork;
    const QColor ink(0, 0, 0);
    auto full = artwork.menuBarImage(16, ink, 1.0, false);
    auto dimmed = artwork.menuBarImage(16, ink, 0.4, false);
    auto badged = artwork.menuBarImage(16, ink, 0.4, true);
    ASSERT_TRUE(full && dimmed && badged);
    int strongest = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            strongest = std::max(strongest, qAlpha(dimmed->pixel(x, y)));
    EXPECT_NEAR(strongest, 102, 2);
    // The dot of 6.4 px touches the top and right edges at full strength; the bottom left is glyph only.
    EXPECT_EQ(qAlpha(badged->pixel(13, 2)), 255);
    EXPECT_GT(qAlpha(badged->pixel(12, 0)), 100);
    EXPECT_EQ(qAlpha(badged->pixel(9, 7)), qAlpha(dimmed->pixel(9, 7)));
    EXPECT_LT(qAlpha(full->pixel(13, 2)), 255);
}

TEST(BrandArtworkTest, MissingResourcesGiveNoImage) {
    BrandArtwork missing({QStringLiteral(":/nowhere")});
    EXPECT_FALSE(missing.has("menu-bar-v"));
    EXPECT_FALSE(missing.menuBarImage(16, Qt::black, 1.0, false));
    EXPECT_FALSE(missing.menuBarImage(16, Qt::black, 0.4, true));
}

TEST(SymbolImageProviderTest, RendersAtTheRequestedPixelsInTheColour) {
    SymbolImageProvider provider(BrandArtwork(), Qt::black);
    QSize size;
    auto image = provider.requestImage("checkmark?color=%23ff0000&opacity=0.5", &size, QSize(48, 48));
    EXPECT_EQ(size, QSize(48, 48));
    int strongest = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) {
            const auto pixel = image.pixelColor(x, y);
            strongest = std::max(strongest, pixel.alpha());
            if (pixel.alpha() > 100) {
                EXPECT_GT(pixel.red(), 200);
            }
        }
    EXPECT_NEAR(strongest, 128, 2);
    EXPECT_EQ(provider.requestImage("terminal", &size, QSize()).size(), QSize(16, 16));
}

TEST(SymbolImageProviderTest, UnknownOrHostileNamesGiveAnEmptyImage) {
    SymbolImageProvider provider(BrandArtwork(), Qt::black);
    for (QString id :
         {QString("nothing"), QString("../../etc/passwd"), QString("circle/../x"), QString(5000, 'a')}) {
        QSize size;
        auto image = provider.requestImage(id, &size, QSize(16, 16));
        EXPECT_EQ(size, QSize(1, 1)) << id.left(40).toStdString();
        EXPECT_EQ(inkedPixels(image), 0);
    }
}

TEST(ShadowImageTest, NineSliceShadowIsSoftAndSymmetric) {
    auto image = ShadowImage::make(22);
    const int side = 2 * ShadowImage::border(22) + 1;
    ASSERT_EQ(image.size(), QSize(side, side));
    const int centre = side / 2;
    EXPECT_NEAR(qAlpha(image.pixel(centre, centre)), 71, 2); // 0.28 of full
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(image.pixel(5, centre), image.pixel(side - 6, centre));
    EXPECT_EQ(image.pixel(centre, 5), image.pixel(centre, side - 6));
    EXPECT_GT(qAlpha(image.pixel(24, centre)), 0);
}

// A glow fades from its middle to nothing with no step an eye would see as an edge.
TEST(ShadowImageTest, AGlowIsSoftWithoutARing) {
    for (int diameter : {21, 62}) {
        const QColor tint(0x2f, 0xa1, 0x4f, 77);
        auto image = ShadowImage::glow(tint, diameter);
        const int side = diameter + 2 * ShadowImage::glowMargin(diameter);
        ASSERT_EQ(image.size(), QSize(side, side));
        const int centre = side / 2;
        EXPECT_NEAR(qAlpha(image.pixel(centre, centre)), 77, 4) << "the colour's alpha at the middle";
        EXPECT_EQ(qAlpha(image.pixel(0, centre)), 0);
        int previous = qAlpha(image.pixel(centre, centre));
        int largestStep = 0;
        for (int x = centre + 1; x < side; ++x) {
            const int alpha = qAlpha(image.pixel(x, centre));
            EXPECT_LE(alpha, previous) << "falls off outwards, at " << x;
            largestStep = std::max(largestStep, previous - alpha);
            previous = alpha;
        }
        EXPECT_LE(largestStep, 77 / 3) << "a hard ring would drop all 77 at once; " << diameter;
        EXPECT_NEAR(image.pixelColor(centre, centre).green(), 0xa1, 3) << "in the tint";
    }
}

TEST(ShapedImageTest, CirclesAndRoundedCornersCutThePicture) {
    QImage picture(40, 20, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::blue);
    auto circle = ShapedImage::make(picture, QSize(30, 30), ShapedImage::Shape::circle);
    EXPECT_EQ(qAlpha(circle.pixel(0, 0)), 0);
    EXPECT_EQ(circle.pixelColor(15, 15), QColor(Qt::blue));
    auto rounded = ShapedImage::make(picture, QSize(20, 20), ShapedImage::Shape::rounded);
    EXPECT_EQ(qAlpha(rounded.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(rounded.pixel(10, 0)), 255);
    auto square = ShapedImage::make(picture, QSize(20, 20), ShapedImage::Shape::square);
    EXPECT_EQ(qAlpha(square.pixel(0, 0)), 255);
}

} // namespace
} // namespace velto
