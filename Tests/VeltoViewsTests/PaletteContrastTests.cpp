#include "VeltoDesktop/Views/ColorContrast.hpp"
#include "VeltoDesktop/Views/ViewPalette.hpp"

#include <gtest/gtest.h>

#include <QGuiApplication>

namespace velto {
namespace {

QPalette desktop(QColor window, QColor ink, QColor highlight, QColor highlighted) {
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, ink);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, highlighted);
    return palette;
}

TEST(ColorContrastTest, RatiosMatchTheGuidelinesFigures) {
    EXPECT_NEAR(ColorContrast::ratio(Qt::black, Qt::white), 21.0, 0.01);
    EXPECT_NEAR(ColorContrast::ratio(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
    EXPECT_NEAR(ColorContrast::ratio(QColor(0xe0, 0x7b, 0x0a), QColor(0xef, 0xef, 0xef)), 2.61, 0.01)
        << "the orange the light panel had";
    EXPECT_EQ(ColorContrast::over(QColor(0, 0, 0, 128), Qt::white).red(), 127);
}

// Every colour the views draw text in, over what it is drawn on, on light and dark desktops and on
// one whose highlight is pale.
TEST(ColorContrastTest, EveryTextOfThePaletteReadsAtFourAndAHalf) {
    struct Case {
        const char* what;
        QPalette palette;
    };
    const Case cases[] = {
        {"the application's palette", QGuiApplication::palette()},
        {"a light desktop",
         desktop(QColor(0xef, 0xef, 0xef), Qt::black, QColor(0x30, 0x8c, 0xc6), Qt::white)},
        {"a dark desktop",
         desktop(QColor(0x1f, 0x1f, 0x1f), QColor(0xe6, 0xe6, 0xe6), QColor(0x3d, 0xae, 0xe9), Qt::white)},
        {"a pale highlight",
         desktop(Qt::white, QColor(0x33, 0x33, 0x33), QColor(0xa8, 0xd1, 0xff), Qt::black)},
        {"a grey window", desktop(QColor(0x80, 0x80, 0x80), Qt::white, QColor(0x30, 0x8c, 0xc6), Qt::white)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ViewPalette theme(c.palette);
        const struct {
            const char* role;
            QColor text;
            QColor on;
        } texts[] = {
            {"ink", theme.ink(), theme.window()},
            {"secondary", theme.secondary(), theme.window()},
            {"tertiary", theme.tertiary(), theme.window()},
            {"accent", theme.accent(), theme.window()},
            {"green", theme.green(), theme.window()},
            {"orange", theme.orange(), theme.window()},
            {"red", theme.red(), theme.window()},
            {"a prominent button", theme.accentInk(), theme.accentFill()},
            {"a destructive button", Qt::white, theme.redFill()},
        };
        for (const auto& t : texts)
            EXPECT_GE(ColorContrast::against(t.text, t.on), ColorContrast::text) << t.role;
        EXPECT_LT(theme.tertiary().alphaF(), theme.secondary().alphaF() + 0.001f)
            << "tertiary stays the softer step";
        EXPECT_NE(theme.orange().rgb(), theme.red().rgb());
    }
}

} // namespace
} // namespace velto
