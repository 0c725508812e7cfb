#include "VeltoDesktop/Views/BrandArtwork.hpp"
#include "VeltoDesktop/Views/ColorContrast.hpp"
#include "VeltoDesktop/Views/StatusIconPresentation.hpp"
#include "VeltoDesktop/Views/TrayInk.hpp"

#include <gtest/gtest.h>

#include <QPainter>

#include "Goldens.hpp"

namespace velto {
namespace {

const QColor darkTray(0x1f, 0x1f, 0x1f);
const QColor lightTray(0xef, 0xef, 0xef);

TEST(TrayInkTest, TheTraysSchemeOrBackgroundChoosesTheInk) {
    const QColor palette(0x12, 0x34, 0x56);
    struct Case {
        const char* what;
        std::optional<unsigned> scheme;
        std::optional<QColor> background;
        QColor ink;
    };
    const Case cases[] = {
        {"a dark scheme", 1u, lightTray, TrayInk::lightInk},
        {"a light scheme", 2u, darkTray, TrayInk::darkInk},
        {"no preference, a dark tray", 0u, darkTray, TrayInk::lightInk},
        {"no portal, a light tray", std::nullopt, lightTray, TrayInk::darkInk},
        {"a scheme the portal does not define", 7u, darkTray, TrayInk::lightInk},
        {"nothing known", std::nullopt, std::nullopt, palette},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrayInk::choose(c.scheme, c.background, palette).rgb(), c.ink.rgb()) << c.what;
}

QImage onTray(const QIcon& icon, const QColor& tray, int side) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(tray);
    QPainter painter(&image);
    painter.drawPixmap(0, 0, icon.pixmap(side));
    return image;
}

// The icon's strongest pixel against the bar, for every state, on a dark and a light tray.
TEST(TrayInkTest, TheIconReadsAtThreeToOneOnDarkAndLightTrays) {
    BrandArtwork artwork;
    QImage strip(3 * 24, 2 * 24, QImage::Format_RGB32);
    QPainter painter(&strip);
    int row = 0;
    for (const auto& tray : {darkTray, lightTray}) {
        const auto ink = TrayInk::choose(std::nullopt, tray, Qt::black);
        int column = 0;
        for (auto overall :
             {OverallConnection::connected, OverallConnection::needsAttention, OverallConnection::offline}) {
            StatusIconPresentation presentation(overall);
            const auto image = onTray(presentation.icon(artwork, ink), tray, 24);
            double best = 1;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    best = std::max(best, ColorContrast::ratio(image.pixelColor(x, y), tray));
            EXPECT_GE(best, ColorContrast::symbol)
                << presentation.label << " on " << tray.name().toStdString();
            painter.drawImage(column * 24, row * 24, image);
            ++column;
        }
        ++row;
    }
    painter.end();
    testing::expectMatchesGolden(strip, "tray-icons");
}

} // namespace
} // namespace velto
