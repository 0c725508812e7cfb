// The velto command's logins, its link and the login item.
#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/AppModel.hpp"
#include "VeltoDesktop/MainThread.hpp"
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

std::vector<std::string> AppModel::commandLineDeviceIds() const {
    std::vector<std::string> ids;
    for (const auto& [id, identity] : commandLineIdentities_)
        ids.push_back(id);
    std::sort(ids.begin(), ids.end());
    return ids;
}

void AppModel::keepCommandLineLogins() {
    assertOnMainThread();
    if (hasCommandLineLoginTask_)
        return;
    hasCommandLineLoginTask_ = true;
    spawn([](QPointer<AppModel> model, boost::asio::any_io_executor device,
             std::shared_ptr<Clock> clock) -> boost::asio::awaitable<void> {
        if (model)
            co_await model->forgetUnpairedCommandLineLogins();
        for (;;) {
            co_await sleepIgnoringCancellation(device, clock, commandLineLoginPeriod);
            if (model)
                co_await model->refreshCommandLineLogins();
        }
    }(QPointer<AppModel>(this), device_, services_->clock()));
}

boost::asio::awaitable<void> AppModel::forgetUnpairedCommandLineLogins() {
    assertOnMainThread();
    if (!commandLineLogins_)
        co_return;
    // Every saved organization keeps its login, connected or not: a keyring still locked at login
    // must not cost it.
    std::set<std::string> kept;
    for (const auto& [id, identity] : commandLineIdentities_)
        kept.insert(id);
    for (const auto& row : organizations())
        kept.insert(row.id());
    std::exception_ptr failure;
    try {
        auto tidying = onLogins(storage_, commandLineLogins_,
                                [kept](CommandLineLogins& logins) { logins.keepOnly(kept); });
        co_await std::move(tidying);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure && !isCancellation(failure))
        appLog().error("could not tidy the velto command's logins: " + describe(failure));
}

boost::asio::awaitable<void> AppModel::refreshCommandLineLogins() {
    assertOnMainThread();
    for (const auto& id : commandLineDeviceIds())
        co_await refreshCommandLineLogin(id);
}

boost::asio::awaitable<void> AppModel::refreshCommandLineLogin(std::string deviceId) {
    assertOnMainThread();
    auto identity = commandLineIdentities_.find(deviceId);
    if (identity == commandLineIdentities_.end() || !commandLineLogins_)
        co_return;
    CommandLineLoginClient client(identity->second, deviceId);
    std::exception_ptr failure;
    try {
        auto fetching = client.login();
        auto login = co_await runOn(device_, std::move(fetching));
        // Removed while the login was fetched: it is not kept.
        if (commandLineIdentities_.count(deviceId) == 0)
            co_return;
        auto keeping = onLogins(storage_, commandLineLogins_,
                                [login](CommandLineLogins& logins) { logins.keep(login); });
        co_await std::move(keeping);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!failure || isCancellation(failure))
        co_return;
    if (isRevoked(failure)) {
        co_await forgetCommandLineLogin(deviceId);
        co_return;
    }
    appLog().error("could not refresh the velto command's login for " + deviceId + ": " + describe(failure));
}

boost::asio::awaitable<void> AppModel::forgetCommandLineLogin(std::string deviceId) {
    assertOnMainThread();
    commandLineIdentities_.erase(deviceId);
    if (!commandLineLogins_)
        co_return;
    std::exception_ptr failure;
    try {
        auto forgetting = onLogins(storage_, commandLineLogins_,
                                   [deviceId](CommandLineLogins& logins) { logins.forget(deviceId); });
        co_await std::move(forgetting);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure && !isCancellation(failure))
        appLog().error("could not remove the velto command's login for " + deviceId + ": " +
                       describe(failure));
}

void AppModel::refreshCommandLineTool() {
    assertOnMainThread();
    assign(commandLineToolState_, commandLineTool_->state(), &AppModel::commandLineToolStateChanged);
    if (commandLineToolState_ == CommandLineToolState::installed)
        assign(commandLineToolRefusal_, std::optional<std::string>(),
               &AppModel::commandLineToolRefusalChanged);
}

boost::asio::awaitable<CommandLineToolInstall> AppModel::installCommandLineTool() {
    assertOnMainThread();
    assign(isInstallingCommandLineTool_, true, &AppModel::isInstallingCommandLineToolChanged);
    auto installing =
        [](std::shared_ptr<CommandLineTool> tool) -> boost::asio::awaitable<CommandLineToolInstall> {
        co_return co_await tool->install();
    }(commandLineTool_);
    auto outcome = co_await runOn(device_, std::move(installing));
    assign(isInstallingCommandLineTool_, false, &AppModel::isInstallingCommandLineToolChanged);
    if (outcome.kind == CommandLineToolInstall::Case::refused) {
        assign(commandLineToolRefusal_, std::optional<std::string>(outcome.message),
               &AppModel::commandLineToolRefusalChanged);
        appLog().error("could not install the velto command: " + outcome.message);
    } else {
        assign(commandLineToolRefusal_, std::optional<std::string>(),
               &AppModel::commandLineToolRefusalChanged);
    }
    refreshCommandLineTool();
    co_return outcome;
}

void AppModel::refreshLoginItem() {
    assertOnMainThread();
    assign(loginItemState_, loginItem_->state(), &AppModel::loginItemStateChanged);
    // needsApproval and unavailable settle no refusal.
    if (loginItemRefusal_ && loginItemRefusal_->isSettled(loginItemState_))
        assign(loginItemRefusal_, std::optional<LoginItemRefusal>(), &AppModel::loginItemRefusalChanged);
}

std::optional<LoginItemRefusal> AppModel::setOpensAtLogin(bool opensAtLogin) {
    assertOnMainThread();
    auto refusal = loginItem_->change(opensAtLogin);
    assign(loginItemRefusal_, refusal, &AppModel::loginItemRefusalChanged);
    refreshLoginItem();
    if (refusal)
        appLog().error("could not change the login item: " + refusal->message());
    return refusal;
}

} // namespace velto
