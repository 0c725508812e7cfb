#include "VeltoDesktop/Views/ServerAuthority.hpp"

#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/DisplayText.hpp"

namespace velto {

ServerAuthority::ServerAuthority(const VeltoServer& server)
    : authority(DisplayText::line(server.authority())),
      address(DisplayText::line(server.baseURL().buffer())) {
    if (server.isCleartext())
        cleartextNote = UserTexts::cleartextNote();
}

} // namespace velto
