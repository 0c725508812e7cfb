#pragma once

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QEventLoop>
#include <QThread>
#include <QVariant>
#include <future>
#include <memory>
#include <string>

namespace velto::benchmarks {

/// A StatusNotifierWatcher on the session bus with a host registered, so that an agent there keeps to
/// its status item as on a desktop with a tray. It answers on a thread of its own, whatever the
/// measurement's thread is doing: the host's property, and a registration of an item, which it accepts.
class StandInTrayWatcher {
public:
    /// False when the name could not be taken.
    bool start() {
        std::promise<bool> started;
        auto taken = started.get_future();
        thread_.reset(QThread::create([this, &started] { serve(started); }));
        thread_->start();
        return taken.get();
    }

    ~StandInTrayWatcher() {
        if (!thread_)
            return;
        thread_->quit();
        thread_->wait();
    }

private:
    class Watcher final : public QDBusVirtualObject {
    public:
        QString introspect(const QString&) const override { return {}; }
        bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
            if (message.member() == QLatin1String("Get") || message.member() == QLatin1String("GetAll")) {
                connection.send(message.createReply(QVariant::fromValue(QDBusVariant(true))));
                return true;
            }
            connection.send(message.createReply());
            return true;
        }
    };

    void serve(std::promise<bool>& started) {
        const auto name = QStringLiteral("stand-in-tray-watcher");
        {
            auto bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
            Watcher watcher;
            const bool taken = bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")) &&
                               bus.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), &watcher);
            started.set_value(taken);
            // QThread::quit ends this loop too.
            QEventLoop loop;
            if (taken)
                loop.exec();
            bus.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
        }
        QDBusConnection::disconnectFromBus(name);
    }

    std::unique_ptr<QThread> thread_;
};

} // namespace velto::benchmarks
