// The view tests run inside a QApplication on the offscreen platform, with the pinned fonts of the
// screenshots; any QML warning fails the test that caused it.
#include "VeltoDesktop/Views/ViewEngine.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <csignal>

// The software scene graph keeps the paint engines and textures of a destroyed window until exit
// (Qt 6.4); what it holds is reported as indirect leaks under these libraries. Built in, so that
// every way of running the tests (ctest hands a test only its first environment variable) has them.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libQt6Gui.so\n"
           "leak:libQt6Quick.so\n"
           "leak:libQt6Qml.so\n"
           "leak:libfontconfig.so\n";
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::signal(SIGPIPE, SIG_IGN);
    // Two screens side by side, the second at a pixel ratio of 2 (its 1280 × 800 pixels are 640 × 400
    // logical ones; the offscreen platform scales by the logical DPI, not by "dpr").
    auto layout = QDir::temp().filePath(
        QStringLiteral("velto-views-screens-%1.json").arg(QCoreApplication::applicationPid()));
    {
        QFile file(layout);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(R"({"screens": [
            {"name": "primary", "x": 0, "y": 0, "width": 1280, "height": 800, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
            {"name": "sharp", "x": 1280, "y": 0, "width": 1280, "height": 800, "logicalDpi": 192, "logicalBaseDpi": 96, "dpr": 1}
        ]})");
    }
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + layout).toUtf8());
    // Only the DejaVu fonts the install script brings: a generic family such as "monospace" would
    // otherwise take whatever other font packages the machine has, and the goldens would move.
    auto fonts =
        QDir::temp().filePath(QStringLiteral("velto-views-fonts-%1").arg(QCoreApplication::applicationPid()));
    QDir().mkpath(fonts);
    {
        QFile file(fonts + QStringLiteral("/fonts.conf"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n"
                    "  <dir>/usr/share/fonts/truetype/dejavu</dir>\n"
                    "  <cachedir>" +
                    fonts.toUtf8() +
                    "/cache</cachedir>\n"
                    "  <include ignore_missing=\"yes\">/etc/fonts/conf.d</include>\n"
                    "</fontconfig>\n"));
    }
    qputenv("FONTCONFIG_FILE", (fonts + QStringLiteral("/fonts.conf")).toUtf8());
    qputenv("QT_QUICK_BACKEND", "software");
    qputenv("QT_SCALE_FACTOR", "1");
    // QApplication, since QtTest's key events cast to it once Widgets are linked.
    QApplication application(argc, argv);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setHintingPreference(QFont::PreferNoHinting);
    QApplication::setFont(font);
    velto::ViewEngine::pinStyle();
    const int status = RUN_ALL_TESTS();
    QFile::remove(layout);
    QDir(fonts).removeRecursively();
    return status;
}
