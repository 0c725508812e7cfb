#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QSocketNotifier>
#include <memory>
#include <vector>

/// org.freedesktop.login1.Manager as far as the agent uses it: Inhibit hands out the write end of a
/// pipe and prints "inhibited"; once every copy of it is closed, "released" is printed.
/// PrepareForSleep is sent when the test asks.
class FakeLogin1Manager final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    using QObject::QObject;

public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode);

Q_SIGNALS:
    void PrepareForSleep(bool start);

private:
    std::vector<std::unique_ptr<QSocketNotifier>> watches_;
};
