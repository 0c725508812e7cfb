#pragma once

#include "VeltoDesktop/System/MachineNaming.hpp"

#include <QDBusConnection>

namespace velto {

/// The machine's names from systemd-hostnamed (its PrettyHostname) and the kernel (the host name).
class Hostname1Naming final : public MachineNaming {
public:
    /// `bus` is the system bus (tests give a private one).
    explicit Hostname1Naming(QDBusConnection bus = QDBusConnection::systemBus()) : bus_(std::move(bus)) {}

    std::optional<std::string> prettyName() override;
    std::optional<std::string> hostName() override;

private:
    QDBusConnection bus_;
};

} // namespace velto
