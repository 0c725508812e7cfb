// Puts the status item in the desktop's tray the way the application does: our own check for a tray
// first, then the tray icon with its label. Prints "shown" once the icon is up, or "no tray" and
// exits with 2; ends when its standard input closes.
#include "VeltoDesktop/Views/SystemTrayDetection.hpp"
#include "VeltoDesktop/Views/TrayStatusItemHost.hpp"

#include <QApplication>
#include <QPixmap>
#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    velto::SystemTrayDetection detection;
    if (!detection.hasHost()) {
        std::printf("no tray\n");
        return 2;
    }
    velto::TrayStatusItemHost host;
    QPixmap glyph(22, 22);
    glyph.fill(Qt::black);
    host.show(QIcon(glyph), QStringLiteral("Velto, offline"));
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &application, [&input] {
        char buffer[64];
        if (read(0, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
        }
    });
    std::printf("shown\n");
    std::fflush(stdout);
    return QApplication::exec();
}
