#include "VeltoDevice/Agents/AgentDependencies.hpp"

#include "VeltoDevice/Agents/AgentCommand.hpp"

#include <algorithm>
#include <system_error>

namespace velto {

std::vector<std::string> AgentDependencies::shippedSkills() const {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(resources / "skills", error), end; !error && it != end;
         it.increment(error)) {
        std::string name = it->path().filename().string();
        if (!name.starts_with('.'))
            names.push_back(std::move(name));
    }
    if (error)
        return {};
    std::sort(names.begin(), names.end());
    return names;
}

std::shared_ptr<AgentCommandRunning>
AgentDependencies::command(const std::filesystem::path& executable) const {
    return std::make_shared<AgentCommand>(runner, executable, environment);
}

} // namespace velto
