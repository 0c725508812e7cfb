// The view tests run inside a QGuiApplication on the offscreen platform, with the pinned font of the
// screenshots; any QML warning fails the test that caused it.
#include "VeltoDesktop/Views/ViewEngine.hpp"

#include <gtest/gtest.h>

#include <QFont>
#include <QGuiApplication>
#include <csignal>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::signal(SIGPIPE, SIG_IGN);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QUICK_BACKEND", "software");
    qputenv("QT_SCALE_FACTOR", "1");
    QGuiApplication application(argc, argv);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setHintingPreference(QFont::PreferNoHinting);
    QGuiApplication::setFont(font);
    velto::ViewEngine::pinStyle();
    return RUN_ALL_TESTS();
}
