#include "VeltoDesktop/Model/ScopesModel.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/AssignNotifying.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"
#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

namespace velto {

ScopesModel::ScopesModel(boost::asio::any_io_executor device, CommandLineModel& commandLine,
                         DeviceIds deviceIds)
    : device_(std::move(device)), commandLine_(commandLine), deviceIds_(std::move(deviceIds)) {}

boost::asio::awaitable<ScopesModel::ScopesReply> ScopesModel::requestScopes(std::string deviceId,
                                                                            ScopesRequest request) {
    ScopesReply reply;
    auto identity = commandLine_.identities().find(deviceId);
    if (identity == commandLine_.identities().end())
        co_return reply;
    reply.isAsked = true;
    DeviceScopesClient client{identity->second.server, identity->second.http, deviceId};
    std::optional<DeviceScopes> scopes;
    try {
        auto requesting = request(std::move(client));
        scopes = co_await runOn(device_, std::move(requesting));
    } catch (...) {
        reply.failure = std::current_exception();
    }
    if (scopes) {
        auto updated = deviceScopes_;
        updated.insert_or_assign(deviceId, std::move(*scopes));
        assignNotifying(*this, deviceScopes_, std::move(updated), &ScopesModel::deviceScopesChanged);
    }
    co_return reply;
}

boost::asio::awaitable<void> ScopesModel::refreshScopes(std::string deviceId) {
    assertOnMainThread();
    auto reply = co_await requestScopes(deviceId, [](DeviceScopesClient client) { return client.fetch(); });
    if (reply.failure && !isCancellation(reply.failure))
        appLog().error("could not read the scopes of " + deviceId + ": " + describe(reply.failure));
}

boost::asio::awaitable<void> ScopesModel::setScopeGranted(DeviceScope scope, bool isGranted,
                                                          std::string deviceId) {
    assertOnMainThread();
    auto reply = co_await requestScopes(
        deviceId, [scope, isGranted](DeviceScopesClient client) { return client.answer(scope, isGranted); });
    if (!reply.isAsked || (reply.failure && isCancellation(reply.failure)))
        co_return;
    if (!reply.failure) {
        if (scopeRefusals_.erase(deviceId) > 0)
            Q_EMIT scopeRefusalsChanged();
        co_return;
    }
    auto description = describe(reply.failure);
    appLog().error("could not answer " + std::string(rawValue(scope)) + " for " + deviceId + ": " +
                   description);
    auto refusals = scopeRefusals_;
    refusals.insert_or_assign(deviceId, UserTexts::scopeAnswerFailed().toStdString() + description);
    assignNotifying(*this, scopeRefusals_, std::move(refusals), &ScopesModel::scopeRefusalsChanged);
}

boost::asio::awaitable<void> ScopesModel::agreeEverywhere(std::set<DeviceScope> scopes) {
    assertOnMainThread();
    const auto ids = deviceIds_();
    for (const auto& id : ids) {
        for (auto scope : agreedDeviceScopes) {
            if (scopes.count(scope) > 0)
                co_await setScopeGranted(scope, true, id);
        }
    }
}

void ScopesModel::forget(const std::string& deviceId) {
    if (deviceScopes_.erase(deviceId) > 0)
        Q_EMIT deviceScopesChanged();
}

std::optional<DeviceScopes> ScopesModel::scopes(const EnrolledOrganization& organization) const {
    auto found = deviceScopes_.find(organization.id());
    if (found == deviceScopes_.end())
        return std::nullopt;
    return found->second;
}

} // namespace velto
