// The velto command's logins, one per connected organization.
#include "VeltoDesktop/AppModel.hpp"
#include "VeltoDesktop/MainThread.hpp"

#include <algorithm>

namespace velto {

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
}

boost::asio::awaitable<void> AppModel::forgetUnpairedCommandLineLogins() {
    assertOnMainThread();
    co_return;
}

boost::asio::awaitable<void> AppModel::refreshCommandLineLogins() {
    assertOnMainThread();
    for (const auto& id : commandLineDeviceIds())
        co_await refreshCommandLineLogin(id);
}

boost::asio::awaitable<void> AppModel::refreshCommandLineLogin(std::string deviceId) {
    assertOnMainThread();
    if (commandLineIdentities_.find(deviceId) == commandLineIdentities_.end())
        co_return;
}

boost::asio::awaitable<void> AppModel::forgetCommandLineLogin(std::string deviceId) {
    assertOnMainThread();
    commandLineIdentities_.erase(deviceId);
    co_return;
}

} // namespace velto
