// Stands in for systemd-logind and systemd-hostnamed on a private bus given as the first argument.
// Prints "ready" once both names are owned; reads "sleep" and "wake" lines on standard input and sends
// PrepareForSleep(true) and PrepareForSleep(false); prints "inhibited" and "released" as the delay
// inhibitor is taken and let go. The pretty host name is the second argument (default "Test Mac").
#include <QCoreApplication>
#include <QDBusConnection>
#include <QSocketNotifier>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

#include "FakeHostname1.hpp"
#include "FakeLogin1Manager.hpp"

QDBusUnixFileDescriptor FakeLogin1Manager::Inhibit(const QString&, const QString&, const QString&,
                                                   const QString&) {
    int ends[2];
    if (pipe(ends) != 0)
        return {};
    QDBusUnixFileDescriptor handed(ends[1]);
    close(ends[1]);
    auto watch = std::make_unique<QSocketNotifier>(ends[0], QSocketNotifier::Read);
    int readEnd = ends[0];
    QObject::connect(watch.get(), &QSocketNotifier::activated, this, [this, readEnd, notifier = watch.get()] {
        char byte;
        if (read(readEnd, &byte, 1) <= 0) {
            notifier->setEnabled(false);
            close(readEnd);
            std::printf("released\n");
            std::fflush(stdout);
        }
    });
    watches_.push_back(std::move(watch));
    std::printf("inhibited\n");
    std::fflush(stdout);
    return handed;
}

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: velto-fake-system-services BUS-ADDRESS [PRETTY-NAME]\n");
        return 2;
    }
    auto bus = QDBusConnection::connectToBus(QString::fromUtf8(argv[1]), QStringLiteral("fake-system"));
    FakeLogin1Manager login1;
    FakeHostname1 hostname1(argc > 2 ? QString::fromUtf8(argv[2]) : QStringLiteral("Test Mac"));
    const auto exported = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                          QDBusConnection::ExportAllProperties;
    if (!bus.isConnected() ||
        !bus.registerObject(QStringLiteral("/org/freedesktop/login1"), &login1, exported) ||
        !bus.registerObject(QStringLiteral("/org/freedesktop/hostname1"), &hostname1, exported) ||
        !bus.registerService(QStringLiteral("org.freedesktop.login1")) ||
        !bus.registerService(QStringLiteral("org.freedesktop.hostname1"))) {
        std::fprintf(stderr, "velto-fake-system-services: cannot serve on the bus\n");
        return 1;
    }
    QSocketNotifier input(0, QSocketNotifier::Read);
    std::string pending;
    QObject::connect(&input, &QSocketNotifier::activated, &application, [&] {
        char buffer[256];
        auto count = read(0, buffer, sizeof buffer);
        if (count <= 0) {
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(count));
        for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            auto line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (line == "sleep")
                Q_EMIT login1.PrepareForSleep(true);
            else if (line == "wake")
                Q_EMIT login1.PrepareForSleep(false);
        }
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
