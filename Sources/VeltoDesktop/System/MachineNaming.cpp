#include "VeltoDesktop/System/MachineNaming.hpp"

#include "VeltoDesktop/UserTexts.hpp"

namespace velto {

std::string MachineNaming::machineName() {
    if (auto pretty = prettyName(); pretty && !pretty->empty())
        return *pretty;
    if (auto host = hostName(); host && !host->empty())
        return *host;
    return UserTexts::machineNameFallback().toStdString();
}

} // namespace velto
