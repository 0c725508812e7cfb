#include "VeltoDevice/Support/DetachedProcessLauncher.hpp"

#include "VeltoDevice/Support/SpawnedProcess.hpp"

#include <stdexcept>

namespace velto {

DetachedProcessLauncher::DetachedProcessLauncher(boost::asio::any_io_executor executor,
                                                 Environment environment)
    : executor_(std::move(executor)), environment_(std::move(environment)) {}

void DetachedProcessLauncher::start(const std::vector<std::string>& arguments) {
    if (arguments.empty())
        throw std::invalid_argument("a launch names its program");
    ProcessLaunch launch;
    launch.executable = arguments.front();
    launch.arguments.assign(arguments.begin() + 1, arguments.end());
    launch.environment = environment_;
    launch.input = ProcessLaunch::Stream::nullDevice;
    launch.output = ProcessLaunch::Stream::nullDevice;
    launch.errors = ProcessLaunch::Stream::nullDevice;
    SpawnedProcess::spawn(executor_, launch)->reapInBackground();
}

} // namespace velto
