#include "VeltoDesktop/Views/SystemTrayDetection.hpp"

#include "VeltoDesktop/Views/X11Selections.hpp"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace velto {

namespace {

QDBusMessage hostQuestion() {
    auto ask = QDBusMessage::createMethodCall(QString::fromLatin1(SystemTrayDetection::watcherName),
                                              QString::fromLatin1(SystemTrayDetection::watcherPath),
                                              QStringLiteral("org.freedesktop.DBus.Properties"),
                                              QStringLiteral("Get"));
    ask << QString::fromLatin1(SystemTrayDetection::watcherName)
        << QStringLiteral("IsStatusNotifierHostRegistered");
    return ask;
}

bool isHostRegistered(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    const auto value = reply.arguments().front().value<QDBusVariant>().variant();
    return value.metaType() == QMetaType::fromType<bool>() && value.toBool();
}

} // namespace

SystemTrayDetection::SystemTrayDetection(QDBusConnection bus) : bus_(std::move(bus)) {
    if (!bus_.isConnected())
        return;
    const auto name = QString::fromLatin1(watcherName);
    // Followed before asking, so that an owner arriving between the two is not missed.
    follower_ = std::make_unique<QDBusServiceWatcher>(name, bus_, QDBusServiceWatcher::WatchForOwnerChange);
    QObject::connect(follower_.get(), &QDBusServiceWatcher::serviceOwnerChanged, follower_.get(),
                     [this](const QString&, const QString&, const QString& newOwner) {
                         watcherNamed_ = !newOwner.isEmpty();
                         hostRegistered_ = false;
                         // An answer of the previous owner no longer counts.
                         pending_.reset();
                         askForHost();
                     });
    // The first answer decides between the tray and the window at launch, so it is waited for (briefly);
    // later ones come while the main thread goes on.
    auto call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    call << name;
    QDBusReply<bool> reply = bus_.call(call, QDBus::Block, firstAnswerTimeoutMs);
    watcherNamed_ = reply.isValid() && reply.value();
    if (watcherNamed_)
        hostRegistered_ = isHostRegistered(
            bus_.call(hostQuestion(), QDBus::Block, static_cast<int>(answerTimeout.count())));
}

SystemTrayDetection::~SystemTrayDetection() = default;

void SystemTrayDetection::askForHost() {
    if (!watcherNamed_ || pending_)
        return;
    pending_ = std::make_unique<QDBusPendingCallWatcher>(
        bus_.asyncCall(hostQuestion(), static_cast<int>(answerTimeout.count())));
    QObject::connect(pending_.get(), &QDBusPendingCallWatcher::finished, follower_.get(),
                     [this](QDBusPendingCallWatcher* answered) {
                         hostRegistered_ = watcherNamed_ && isHostRegistered(answered->reply());
                         // Not deleted inside its own signal.
                         pending_.release()->deleteLater();
                     });
}

bool SystemTrayDetection::hasWatcher() {
    // The latest answer; the next look sees a host registered meanwhile.
    askForHost();
    return watcherNamed_ && hostRegistered_;
}

bool SystemTrayDetection::hasHost() {
    return hasWatcher() || X11Selections::hasTray();
}

} // namespace velto
