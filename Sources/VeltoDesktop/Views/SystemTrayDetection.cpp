#include "VeltoDesktop/Views/SystemTrayDetection.hpp"

#include "VeltoDesktop/Views/X11Selections.hpp"

#include <QDBusConnectionInterface>

namespace velto {

bool SystemTrayDetection::hasWatcher() {
    if (!bus_.isConnected())
        return false;
    auto* names = bus_.interface();
    if (!names)
        return false;
    auto reply = names->isServiceRegistered(QString::fromLatin1(watcherName));
    return reply.isValid() && reply.value();
}

bool SystemTrayDetection::hasHost() {
    return hasWatcher() || X11Selections::hasTray();
}

} // namespace velto
