#include "VeltoDesktop/Model/CommandLineModel.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/AssignNotifying.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineLoginClient.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <QPointer>
#include <algorithm>
#include <exception>
#include <set>

namespace velto {

namespace {

bool isRevoked(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const ConnectionError& connection) {
        return connection.kind() == ConnectionError::Case::revoked;
    } catch (...) {
        return false;
    }
}

/// Runs one operation of the login file on the storage strand: it writes and syncs the file, which
/// must not hold up the sessions' thread, and the strand keeps the read-modify-writes in order.
template <typename Operation>
boost::asio::awaitable<void> onLogins(boost::asio::any_io_executor storage,
                                      std::shared_ptr<CommandLineLogins> logins, Operation operation) {
    auto work = [](std::shared_ptr<CommandLineLogins> file,
                   Operation change) -> boost::asio::awaitable<void> {
        change(*file);
        co_return;
    }(std::move(logins), std::move(operation));
    co_await runOn(std::move(storage), std::move(work));
}

boost::asio::awaitable<void> sleepIgnoringCancellation(boost::asio::any_io_executor device,
                                                       std::shared_ptr<Clock> clock,
                                                       Clock::Duration duration) {
    try {
        auto sleeping = clock->sleep(duration);
        co_await runOn(std::move(device), std::move(sleeping));
    } catch (...) {
        // A cancelled sleep still renews.
    }
}

} // namespace

CommandLineModel::CommandLineModel(Dependencies dependencies)
    : dependencies_(std::move(dependencies)), toolState_(dependencies_.tool->state()),
      tasks_(*this, dependencies_.main, appLog()) {}

void CommandLineModel::remember(const std::string& deviceId, const DeviceIdentity& identity) {
    identities_.insert_or_assign(deviceId, identity);
}

void CommandLineModel::keepLogins() {
    assertOnMainThread();
    if (isKeepingLogins_)
        return;
    isKeepingLogins_ = true;
    tasks_.spawn("renew the command's logins",
                 [](QPointer<CommandLineModel> model, boost::asio::any_io_executor device,
                    std::shared_ptr<Clock> clock) -> boost::asio::awaitable<void> {
                     co_await model->forgetUnpairedLogins();
                     for (;;) {
                         co_await sleepIgnoringCancellation(device, clock, loginPeriod);
                         if (model)
                             co_await model->refreshLogins();
                     }
                 }(QPointer<CommandLineModel>(this), dependencies_.device, dependencies_.clock));
}

boost::asio::awaitable<void> CommandLineModel::forgetUnpairedLogins() {
    assertOnMainThread();
    const auto& logins = dependencies_.logins;
    if (!logins)
        co_return;
    // Every saved organization keeps its login, connected or not: a keyring still locked at login
    // must not cost it.
    std::set<std::string> kept;
    for (const auto& [id, identity] : identities_)
        kept.insert(id);
    for (const auto& id : dependencies_.savedDeviceIds())
        kept.insert(id);
    std::exception_ptr failure;
    try {
        auto tidying =
            onLogins(dependencies_.storage, logins, [kept](CommandLineLogins& file) { file.keepOnly(kept); });
        co_await std::move(tidying);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure && !isCancellation(failure))
        appLog().error("could not tidy the velto command's logins: " + describe(failure));
}

boost::asio::awaitable<void> CommandLineModel::refreshLogins() {
    assertOnMainThread();
    // Ascending device ids; the map may change while one login is fetched.
    std::vector<std::string> ids;
    for (const auto& [id, identity] : identities_)
        ids.push_back(id);
    std::sort(ids.begin(), ids.end());
    for (const auto& id : ids)
        co_await refreshLogin(id);
}

boost::asio::awaitable<void> CommandLineModel::refreshLogin(std::string deviceId) {
    assertOnMainThread();
    auto identity = identities_.find(deviceId);
    if (identity == identities_.end() || !dependencies_.logins)
        co_return;
    CommandLineLoginClient client(identity->second, deviceId);
    std::exception_ptr failure;
    try {
        auto fetching = client.login();
        auto login = co_await runOn(dependencies_.device, std::move(fetching));
        // Removed while the login was fetched: it is not kept.
        if (identities_.count(deviceId) == 0)
            co_return;
        auto keeping = onLogins(dependencies_.storage, dependencies_.logins,
                                [login](CommandLineLogins& logins) { logins.keep(login); });
        co_await std::move(keeping);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!failure || isCancellation(failure))
        co_return;
    if (isRevoked(failure)) {
        co_await forgetLogin(deviceId);
        co_return;
    }
    appLog().error("could not refresh the velto command's login for " + deviceId + ": " + describe(failure));
}

boost::asio::awaitable<void> CommandLineModel::forgetLogin(std::string deviceId) {
    assertOnMainThread();
    identities_.erase(deviceId);
    if (!dependencies_.logins)
        co_return;
    std::exception_ptr failure;
    try {
        auto forgetting = onLogins(dependencies_.storage, dependencies_.logins,
                                   [deviceId](CommandLineLogins& logins) { logins.forget(deviceId); });
        co_await std::move(forgetting);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure && !isCancellation(failure))
        appLog().error("could not remove the velto command's login for " + deviceId + ": " +
                       describe(failure));
}

void CommandLineModel::refreshTool() {
    assertOnMainThread();
    assignNotifying(*this, toolState_, dependencies_.tool->state(), &CommandLineModel::toolStateChanged);
    if (toolState_ == CommandLineToolState::installed)
        assignNotifying(*this, toolRefusal_, std::optional<std::string>(),
                        &CommandLineModel::toolRefusalChanged);
}

boost::asio::awaitable<CommandLineToolInstall> CommandLineModel::installTool() {
    assertOnMainThread();
    assignNotifying(*this, isInstallingTool_, true, &CommandLineModel::isInstallingToolChanged);
    auto installing =
        [](std::shared_ptr<CommandLineTool> tool) -> boost::asio::awaitable<CommandLineToolInstall> {
        co_return co_await tool->install();
    }(dependencies_.tool);
    auto outcome = co_await runOn(dependencies_.device, std::move(installing));
    assignNotifying(*this, isInstallingTool_, false, &CommandLineModel::isInstallingToolChanged);
    if (outcome.kind == CommandLineToolInstall::Case::refused) {
        assignNotifying(*this, toolRefusal_, std::optional<std::string>(outcome.message),
                        &CommandLineModel::toolRefusalChanged);
        appLog().error("could not install the velto command: " + outcome.message);
    } else {
        assignNotifying(*this, toolRefusal_, std::optional<std::string>(),
                        &CommandLineModel::toolRefusalChanged);
    }
    refreshTool();
    co_return outcome;
}

} // namespace velto
