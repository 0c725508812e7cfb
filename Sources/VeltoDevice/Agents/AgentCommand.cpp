#include "VeltoDevice/Agents/AgentCommand.hpp"

namespace velto {

boost::asio::awaitable<ProcessOutput> AgentCommand::run(std::vector<std::string> arguments) {
    return runner_->run(executable_, std::move(arguments), environment_, timeout, std::nullopt);
}

} // namespace velto
