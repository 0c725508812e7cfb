#pragma once

#include "VeltoDevice/Connection/OrganizationSocket.hpp"
#include "VeltoDevice/Protocol/DeviceMessage.hpp"

#include <boost/asio/awaitable.hpp>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace velto {

/// Every organization's socket under its key (the enrollment's device id), and the application's
/// wishes applied to all of them at once.
///
/// Lives on the device io_context and must outlive its operations. `remove`, `apply` and `announce`
/// await each socket in turn and let other operations in meanwhile, so they work from snapshots of
/// the keys, and of two overlapping `apply` passes the later one decides.
class OrganizationSockets {
public:
    /// Registers the socket of `id`, or replaces it; a key keeps the place where it was first added.
    /// A replaced socket is told nothing: the caller stops it first when that is wanted.
    boost::asio::awaitable<void> add(std::shared_ptr<OrganizationSocket> socket, std::string id);
    /// Drops the key and stops its socket; an unknown key does nothing.
    boost::asio::awaitable<void> remove(std::string id);
    /// Starts every socket (true) or stops every socket (false), in key order. A pass that sees a newer
    /// one begun stops before its next socket.
    boost::asio::awaitable<void> apply(bool wantsConnection);
    /// Hands the hello to every socket, in key order.
    boost::asio::awaitable<void> announce(DeviceMessage::Hello hello);

    /// The keys in the order they were first added.
    const std::vector<std::string>& ids() const { return ids_; }
    /// The current socket of `id`, or null.
    std::shared_ptr<OrganizationSocket> socket(const std::string& id) const;

private:
    std::vector<std::string> ids_;
    std::map<std::string, std::shared_ptr<OrganizationSocket>> sockets_;
    std::uint64_t passNumber_ = 0;
};

} // namespace velto
