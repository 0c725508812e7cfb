#include "VeltoDevice/Harness/HarnessDetector.hpp"

#include "VeltoDevice/Harness/HarnessProbe.hpp"
#include "VeltoDevice/Harness/LoginShellPath.hpp"
#include "VeltoDevice/Support/CoroutineFrameWarning.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/deferred.hpp>
#include <boost/asio/experimental/parallel_group.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <exception>
#include <optional>

namespace velto {

namespace {

/// The command's output, or nothing when it could not start or hung. A stop stays a stop.
boost::asio::awaitable<std::optional<ProcessOutput>> tryRun(ProcessRunning& runner,
                                                            std::filesystem::path executable,
                                                            std::vector<std::string> arguments,
                                                            Environment environment) {
    std::exception_ptr failure;
    try {
        co_return co_await runner.run(std::move(executable), std::move(arguments), std::move(environment),
                                      HarnessDetector::probeTimeout, std::nullopt);
    } catch (...) {
        failure = std::current_exception();
    }
    if (isCancellation(failure))
        std::rethrow_exception(failure);
    co_return std::nullopt;
}

} // namespace

HarnessDetector::HarnessDetector(std::shared_ptr<ProcessRunning> runner, Environment environment,
                                 std::shared_ptr<LoginPathResolving> paths)
    : runner_(std::move(runner)), environment_(std::move(environment)), paths_(std::move(paths)) {}

HarnessDetector::HarnessDetector(std::shared_ptr<ProcessRunning> runner, Environment environment)
    : HarnessDetector(runner, std::move(environment), std::make_shared<LoginShellPath>(runner)) {}

VELTO_COROUTINE_FRAMES_BEGIN
boost::asio::awaitable<std::vector<HarnessStatus>> HarnessDetector::detect() const {
    auto path = co_await paths_->resolve(environment_);
    Environment environment = environment_;
    environment["PATH"] = path;

    auto executor = co_await boost::asio::this_coro::executor;
    auto claude = probe(runner_, allHarnessKinds[0], path, environment);
    auto codex = probe(runner_, allHarnessKinds[1], path, environment);
    auto muse = probe(runner_, allHarnessKinds[2], path, environment);
    auto [order, claudeError, claudeStatus, codexError, codexStatus, museError, museStatus] =
        co_await boost::asio::experimental::make_parallel_group(
            boost::asio::co_spawn(executor, std::move(claude), boost::asio::deferred),
            boost::asio::co_spawn(executor, std::move(codex), boost::asio::deferred),
            boost::asio::co_spawn(executor, std::move(muse), boost::asio::deferred))
            .async_wait(boost::asio::experimental::wait_for_all(), boost::asio::use_awaitable);
    (void)order;
    // A probe fails only when it is stopped, and then the whole detection is.
    for (const auto& error : {claudeError, codexError, museError}) {
        if (error)
            std::rethrow_exception(error);
    }
    co_return std::vector<HarnessStatus>{claudeStatus, codexStatus, museStatus};
}
VELTO_COROUTINE_FRAMES_END

boost::asio::awaitable<HarnessStatus> HarnessDetector::probe(std::shared_ptr<ProcessRunning> runner,
                                                             HarnessKind kind, std::string path,
                                                             Environment environment) {
    auto executable = LoginShellPath::locate(executableName(kind), path);
    if (!executable)
        co_return HarnessStatus::notInstalled(kind);

    std::optional<std::string> version;
    // The status is not looked at: some tools print their version and exit non-zero.
    if (auto output = co_await tryRun(*runner, *executable, HarnessProbe::versionArguments(), environment))
        version = HarnessProbe::parseVersion(output->combined());

    LoginState login = LoginState::unknown;
    if (auto output = co_await tryRun(*runner, *executable, HarnessProbe::loginArguments(kind), environment))
        login = HarnessProbe::parseLoginState(*output, kind);

    co_return HarnessStatus::installed(kind, *executable, std::move(version), login);
}

} // namespace velto
