#pragma once

#include "VeltoDesktop/Model/CommandLineModel.hpp"
#include "VeltoDesktop/Model/EnrolledOrganization.hpp"
#include "VeltoDevice/Scopes/DeviceScopes.hpp"
#include "VeltoDevice/Scopes/DeviceScopesClient.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <QObject>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velto {

/// The device scopes of every organization as its server last answered, and the refusal of each
/// organization's last failed answer. A request goes with the identity the command's logins remember
/// for the organization; one that never connected is neither read nor answered. Main thread.
class ScopesModel final : public QObject {
    Q_OBJECT

public:
    /// The device ids of the organizations, in the list's order.
    using DeviceIds = std::function<std::vector<std::string>()>;

    ScopesModel(boost::asio::any_io_executor device, CommandLineModel& commandLine, DeviceIds deviceIds);

    const std::map<std::string, DeviceScopes>& deviceScopes() const { return deviceScopes_; }
    const std::map<std::string, std::string>& scopeRefusals() const { return scopeRefusals_; }
    std::optional<DeviceScopes> scopes(const EnrolledOrganization& organization) const;

    boost::asio::awaitable<void> refreshScopes(std::string deviceId);
    boost::asio::awaitable<void> setScopeGranted(DeviceScope scope, bool isGranted, std::string deviceId);
    /// Grants each of `scopes` that is agreed, organization by organization.
    boost::asio::awaitable<void> agreeEverywhere(std::set<DeviceScope> scopes);
    /// The organization left: its scopes go.
    void forget(const std::string& deviceId);

Q_SIGNALS:
    void deviceScopesChanged();
    void scopeRefusalsChanged();

private:
    /// What a scopes request came to: not asked (the organization has no identity), or asked and
    /// stored, or asked and failed.
    struct ScopesReply {
        bool isAsked = false;
        std::exception_ptr failure;
    };
    using ScopesRequest = std::function<boost::asio::awaitable<DeviceScopes>(DeviceScopesClient)>;
    /// Sends the request with the organization's identity and stores the scopes it answers.
    boost::asio::awaitable<ScopesReply> requestScopes(std::string deviceId, ScopesRequest request);

    boost::asio::any_io_executor device_;
    CommandLineModel& commandLine_;
    DeviceIds deviceIds_;
    std::map<std::string, DeviceScopes> deviceScopes_;
    std::map<std::string, std::string> scopeRefusals_;
};

} // namespace velto
