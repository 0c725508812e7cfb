#pragma once

#include "VeltoDevice/Server/VeltoServer.hpp"

#include <QString>
#include <optional>

namespace velto {

/// A server as the prompt names it: its authority, its full address, and for plain http the note
/// that it is on this machine.
struct ServerAuthority {
    QString authority;
    QString address;
    std::optional<QString> cleartextNote;

    explicit ServerAuthority(const VeltoServer& server);
};

} // namespace velto
