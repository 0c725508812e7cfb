#include "VeltoDevice/Update/Relaunch.hpp"

namespace velto {

std::vector<std::string> Relaunch::arguments(pid_t process, const std::filesystem::path& executable) {
    return {"/bin/sh",          "-c", std::string(script), "velto-relaunch", std::to_string(process),
            executable.string()};
}

void Relaunch::afterExit(pid_t process, const std::filesystem::path& executable,
                         DetachedLaunching& launcher) {
    launcher.start(arguments(process, executable));
}

} // namespace velto
