#include "VeltoDevice/Agents/AgentCommandRunning.hpp"

#include "VeltoDevice/Agents/AgentIntegrationError.hpp"
#include "VeltoDevice/Support/UnicodeText.hpp"

namespace velto {

boost::asio::awaitable<ProcessOutput> AgentCommandRunning::succeed(std::vector<std::string> arguments) {
    auto running = run(arguments);
    ProcessOutput output = co_await std::move(running);
    if (output.exitCode != 0)
        throw AgentIntegrationError::refused(refusal(output, arguments));
    co_return output;
}

std::string AgentCommandRunning::refusal(const ProcessOutput& output,
                                         const std::vector<std::string>& arguments) {
    std::string combined = output.combined();
    std::string text(unicode::trimmingWhitespace(combined));
    if (!text.empty())
        return text;
    for (const auto& argument : arguments) {
        if (!text.empty())
            text += ' ';
        text += argument;
    }
    return text + " failed.";
}

} // namespace velto
