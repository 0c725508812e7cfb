#pragma once

#include "VeltoDevice/Protocol/DeviceMessage.hpp"

#include <boost/asio/awaitable.hpp>

namespace velto {

/// One organization's connection as the socket registry drives it. Each operation is quick: none
/// waits for the network.
class OrganizationSocket {
public:
    virtual ~OrganizationSocket() = default;

    /// Starts connecting unless a connection loop runs already.
    virtual boost::asio::awaitable<void> start() = 0;
    /// Disconnects and stays offline.
    virtual boost::asio::awaitable<void> stop() = 0;
    /// Hands the server a new hello, now or once welcomed.
    virtual boost::asio::awaitable<void> announce(DeviceMessage::Hello hello) = 0;
};

} // namespace velto
