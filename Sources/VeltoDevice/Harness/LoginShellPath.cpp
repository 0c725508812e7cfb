#include "VeltoDevice/Harness/LoginShellPath.hpp"

#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/UserAccount.hpp"
#include "VeltoDevice/Support/UserFolders.hpp"

#include <boost/asio/cancellation_type.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/deferred.hpp>
#include <boost/asio/experimental/parallel_group.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velto {

namespace {

/// One shell run's answer, saying which run it was.
struct ShellAnswer {
    bool interactive = false;
    std::optional<std::string> path;
};

/// The interactive run's PATH ends the race at once (the other run is stopped); any other answer
/// leaves the other run going.
struct InteractivePathWins {
    boost::asio::cancellation_type_t operator()(const std::exception_ptr& error,
                                                const ShellAnswer& answer) const {
        return !error && answer.interactive && answer.path ? boost::asio::cancellation_type::terminal
                                                           : boost::asio::cancellation_type::none;
    }
};

boost::asio::awaitable<ShellAnswer> askShell(std::shared_ptr<ProcessRunning> runner,
                                             std::filesystem::path shell, bool interactive,
                                             Environment environment) {
    std::vector<std::string> arguments;
    if (interactive)
        arguments = {"-i", "+m", "-l", "-c", std::string(LoginShellPath::shellCommand)};
    else
        arguments = {"-l", "-c", std::string(LoginShellPath::shellCommand)};
    ShellAnswer answer{interactive, std::nullopt};
    std::exception_ptr failure;
    try {
        auto output = co_await runner->run(std::move(shell), std::move(arguments), std::move(environment),
                                           LoginShellPath::timeout, std::nullopt);
        // The status is not looked at: a shell whose start-up files fail still printed the PATH.
        answer.path = LoginShellPath::extract(output.standardOutput);
    } catch (...) {
        failure = std::current_exception();
    }
    // A shell that cannot start or hangs gives no PATH; a stop stays a stop.
    if (failure && isCancellation(failure))
        std::rethrow_exception(failure);
    co_return answer;
}

} // namespace

LoginShellPath::LoginShellPath(std::shared_ptr<ProcessRunning> runner) : runner_(std::move(runner)) {}

std::filesystem::path LoginShellPath::shell(const Environment& environment) {
    if (auto it = environment.find("SHELL"); it != environment.end()) {
        if (auto shell = UserFolders::absolute(it->second))
            return *shell;
    }
    if (auto shell = UserAccount::current().shell)
        return *shell;
    if (isExecutableFile("/bin/zsh"))
        return "/bin/zsh";
    return "/bin/sh";
}

boost::asio::awaitable<std::string> LoginShellPath::resolve(Environment environment) {
    std::string fallback(fallbackPath);
    if (auto it = environment.find("PATH"); it != environment.end())
        fallback = it->second;
    auto loginShell = shell(environment);

    auto executor = co_await boost::asio::this_coro::executor;
    auto interactiveRun = askShell(runner_, loginShell, true, environment);
    auto loginRun = askShell(runner_, loginShell, false, environment);
    auto [order, interactiveError, interactive, loginError, login] =
        co_await boost::asio::experimental::make_parallel_group(
            boost::asio::co_spawn(executor, std::move(interactiveRun), boost::asio::deferred),
            boost::asio::co_spawn(executor, std::move(loginRun), boost::asio::deferred))
            .async_wait(InteractivePathWins{}, boost::asio::use_awaitable);
    (void)order;
    // Only a stop of the caller gets here as an error (the other run is stopped only when the
    // interactive one gave a PATH, and then its error is not looked at).
    if (interactiveError)
        std::rethrow_exception(interactiveError);
    if (interactive.path)
        co_return *interactive.path;
    if (loginError)
        std::rethrow_exception(loginError);
    if (login.path)
        co_return *login.path;
    co_return fallback;
}

std::optional<std::string> LoginShellPath::extract(std::string_view output) {
    auto first = output.find(marker);
    if (first == std::string_view::npos)
        return std::nullopt;
    auto start = first + marker.size();
    auto second = output.find(marker, start);
    if (second == std::string_view::npos || second == start)
        return std::nullopt;
    return std::string(output.substr(start, second - start));
}

std::optional<std::filesystem::path> LoginShellPath::locate(std::string_view name, std::string_view path) {
    if (name.empty() || name.find('/') != std::string_view::npos)
        return std::nullopt;
    while (!path.empty()) {
        auto colon = path.find(':');
        auto entry = path.substr(0, colon);
        path = colon == std::string_view::npos ? std::string_view() : path.substr(colon + 1);
        if (entry.empty() || entry.front() != '/')
            continue;
        auto candidate = std::filesystem::path(entry) / name;
        if (isExecutableFile(candidate))
            return candidate;
    }
    return std::nullopt;
}

bool LoginShellPath::isExecutableFile(const std::filesystem::path& path) {
    struct ::stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::faccessat(AT_FDCWD, path.c_str(), X_OK, AT_EACCESS) == 0;
}

} // namespace velto
