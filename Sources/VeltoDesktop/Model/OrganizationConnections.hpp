#pragma once

#include "VeltoDevice/Connection/ConnectionState.hpp"
#include "VeltoDevice/Connection/DeviceConnection.hpp"
#include "VeltoDevice/Connection/OrganizationSockets.hpp"
#include "VeltoDevice/Enrollment/DeviceProfile.hpp"
#include "VeltoDevice/Support/CancellableTask.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace velto {

/// The socket set of every organization (on the device io_context) and, on the main thread, the two
/// observation tasks of each organization's connection: its states and its profiles. Observers hold
/// their connection weakly, so only the socket set keeps a connection alive. Main thread only.
class OrganizationConnections {
public:
    using OnState = std::function<void(ConnectionState)>;
    using OnProfile = std::function<void(DeviceProfile)>;

    OrganizationConnections(boost::asio::any_io_executor main, boost::asio::any_io_executor device,
                            std::shared_ptr<OrganizationSockets> sockets);
    ~OrganizationConnections();

    OrganizationConnections(const OrganizationConnections&) = delete;
    OrganizationConnections& operator=(const OrganizationConnections&) = delete;

    const std::shared_ptr<OrganizationSockets>& sockets() const { return sockets_; }

    /// Registers the connection under the device id (replacing, not stopping, an earlier socket of that
    /// id), cancels the id's earlier observers, and starts its state and profile observers. The
    /// observers start only when `isStillWanted()` holds once the socket is registered; otherwise the
    /// socket is taken out again (unless another has replaced it meanwhile) and false is returned.
    boost::asio::awaitable<bool> add(std::shared_ptr<DeviceConnection> connection, std::string deviceId,
                                     OnState onState, OnProfile onProfile,
                                     std::function<bool()> isStillWanted);
    /// Cancels the id's observers; an unknown id does nothing.
    void cancelObservations(const std::string& deviceId);
    /// Drops the id from the socket set, which stops its socket.
    boost::asio::awaitable<void> remove(std::string deviceId);
    /// Stops one connection object, whatever is registered under its id now.
    boost::asio::awaitable<void> stop(std::weak_ptr<DeviceConnection> connection);
    /// The connection last added under the id, while it is alive.
    std::weak_ptr<DeviceConnection> connection(const std::string& deviceId) const;

    /// The wish applied to every socket, in registration order.
    boost::asio::awaitable<void> apply(bool wantsConnection);
    boost::asio::awaitable<void> announce(DeviceMessage::Hello hello);

    /// Ids with observers, for tests and the log.
    std::vector<std::string> observedIds() const;

private:
    struct Entry {
        std::weak_ptr<DeviceConnection> connection;
        std::vector<std::shared_ptr<CancellableTask>> observations;
    };

    boost::asio::any_io_executor main_;
    boost::asio::any_io_executor device_;
    std::shared_ptr<OrganizationSockets> sockets_;
    std::map<std::string, Entry> entries_;
};

} // namespace velto
