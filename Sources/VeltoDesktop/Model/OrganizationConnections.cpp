#include "VeltoDesktop/Model/OrganizationConnections.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDevice/Support/Follow.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <sstream>

namespace velto {

namespace {

// Each takes the connection by value, so that the last owner on the main side hands it over and it is
// only ever released on the device io_context, where it lives.

boost::asio::awaitable<void> registerSocket(std::shared_ptr<OrganizationSockets> sockets,
                                            std::shared_ptr<DeviceConnection> connection, std::string id) {
    co_await sockets->add(std::move(connection), std::move(id));
}

boost::asio::awaitable<void> release(std::shared_ptr<DeviceConnection> connection) {
    connection.reset();
    co_return;
}

boost::asio::awaitable<void> removeIfCurrent(std::shared_ptr<OrganizationSockets> sockets, std::string id,
                                             std::weak_ptr<DeviceConnection> weak) {
    auto connection = weak.lock();
    if (connection && sockets->socket(id) == connection) {
        connection.reset();
        co_await sockets->remove(std::move(id));
    }
}

boost::asio::awaitable<void> removeSocket(std::shared_ptr<OrganizationSockets> sockets, std::string id) {
    co_await sockets->remove(std::move(id));
}

boost::asio::awaitable<void> stopConnection(std::weak_ptr<DeviceConnection> weak) {
    if (auto connection = weak.lock())
        co_await connection->stop();
}

boost::asio::awaitable<void> applyWish(std::shared_ptr<OrganizationSockets> sockets, bool wantsConnection) {
    co_await sockets->apply(wantsConnection);
}

boost::asio::awaitable<void> announceHello(std::shared_ptr<OrganizationSockets> sockets,
                                           DeviceMessage::Hello hello) {
    co_await sockets->announce(std::move(hello));
}

std::string text(const ConnectionState& state) {
    std::ostringstream out;
    out << state;
    return out.str();
}

} // namespace

OrganizationConnections::OrganizationConnections(boost::asio::any_io_executor main,
                                                 boost::asio::any_io_executor device,
                                                 std::shared_ptr<OrganizationSockets> sockets)
    : main_(std::move(main)), device_(std::move(device)), sockets_(std::move(sockets)) {}

OrganizationConnections::~OrganizationConnections() {
    for (auto& [id, entry] : entries_) {
        for (auto& task : entry.observations)
            task->cancel();
    }
}

boost::asio::awaitable<bool> OrganizationConnections::add(std::shared_ptr<DeviceConnection> connection,
                                                          std::string deviceId, OnState onState,
                                                          OnProfile onProfile,
                                                          std::function<bool()> isStillWanted) {
    std::weak_ptr<DeviceConnection> weak = connection;
    // Taken while the connection is held (it has not started): the observers then never need it.
    auto states = connection->states().reader();
    auto profiles = connection->profiles().reader();
    if (!isStillWanted()) {
        auto released = release(std::move(connection));
        co_await runOn(device_, std::move(released));
        co_return false;
    }
    auto registering = registerSocket(sockets_, std::move(connection), deviceId);
    co_await runOn(device_, std::move(registering));
    if (!isStillWanted()) {
        // Removed or replaced while the socket was being registered: nothing of it may stay.
        auto removing = removeIfCurrent(sockets_, deviceId, weak);
        co_await runOn(device_, std::move(removing));
        co_return false;
    }
    cancelObservations(deviceId);
    auto& entry = entries_[deviceId];
    entry.connection = weak;

    auto stateObserver = std::make_shared<CancellableTask>(main_, appLog(), "follow the connection states");
    stateObserver->start(
        follow<ConnectionState>(device_, std::move(states), [deviceId, onState](ConnectionState state) {
            appLog().info("connection " + deviceId + ": " + text(state));
            onState(std::move(state));
        }));
    auto profileObserver = std::make_shared<CancellableTask>(main_, appLog(), "follow the profiles");
    profileObserver->start(follow<DeviceProfile>(
        device_, std::move(profiles), [onProfile](DeviceProfile profile) { onProfile(std::move(profile)); }));
    entry.observations = {stateObserver, profileObserver};
    co_return true;
}

void OrganizationConnections::cancelObservations(const std::string& deviceId) {
    auto found = entries_.find(deviceId);
    if (found == entries_.end())
        return;
    auto observations = std::move(found->second.observations);
    entries_.erase(found);
    for (auto& task : observations)
        task->cancel();
}

boost::asio::awaitable<void> OrganizationConnections::remove(std::string deviceId) {
    auto removing = removeSocket(sockets_, std::move(deviceId));
    co_await runOn(device_, std::move(removing));
}

boost::asio::awaitable<void> OrganizationConnections::stop(std::weak_ptr<DeviceConnection> connection) {
    auto stopping = stopConnection(std::move(connection));
    co_await runOn(device_, std::move(stopping));
}

std::weak_ptr<DeviceConnection> OrganizationConnections::connection(const std::string& deviceId) const {
    auto found = entries_.find(deviceId);
    return found == entries_.end() ? std::weak_ptr<DeviceConnection>() : found->second.connection;
}

boost::asio::awaitable<void> OrganizationConnections::apply(bool wantsConnection) {
    auto applying = applyWish(sockets_, wantsConnection);
    co_await runOn(device_, std::move(applying));
}

boost::asio::awaitable<void> OrganizationConnections::announce(DeviceMessage::Hello hello) {
    auto announcing = announceHello(sockets_, std::move(hello));
    co_await runOn(device_, std::move(announcing));
}

std::vector<std::string> OrganizationConnections::observedIds() const {
    std::vector<std::string> ids;
    for (const auto& [id, entry] : entries_)
        ids.push_back(id);
    return ids;
}

} // namespace velto
