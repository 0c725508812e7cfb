#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>

namespace velto::testing {

/// Stands in for a desktop's StatusNotifierWatcher: a host is registered unless told otherwise, and
/// the items that register are kept. May be served from a thread of its own, so that a blocking call
/// from the test's main thread is answered.
class StandInWatcher final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

public:
    bool isHostRegistered() const { return hostRegistered; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return items_; }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service) { items_.push_back(service); }
    void RegisterStatusNotifierHost(const QString&) {}

public:
    std::atomic<bool> hostRegistered = true;

private:
    QStringList items_;
};

} // namespace velto::testing
