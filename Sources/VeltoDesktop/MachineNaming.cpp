#include "VeltoDesktop/MachineNaming.hpp"

namespace velto {

std::string MachineNaming::machineName() {
    if (auto pretty = prettyName(); pretty && !pretty->empty())
        return *pretty;
    if (auto host = hostName(); host && !host->empty())
        return *host;
    return "Mac";
}

} // namespace velto
