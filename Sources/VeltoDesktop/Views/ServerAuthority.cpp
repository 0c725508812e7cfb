#include "VeltoDesktop/Views/ServerAuthority.hpp"

#include "VeltoDesktop/Views/DisplayText.hpp"

namespace velto {

ServerAuthority::ServerAuthority(const VeltoServer& server)
    : authority(DisplayText::line(server.authority())),
      address(DisplayText::line(server.baseURL().buffer())) {
    if (server.isCleartext())
        cleartextNote = QStringLiteral("Plain http: allowed only because this server is on this Mac.");
}

} // namespace velto
