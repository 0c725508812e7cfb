#pragma once

#include "VeltoDevice/Connection/OrganizationSocket.hpp"

#include <vector>

namespace velto::testing {

/// A socket of the socket set that only records what it is told.
class RecordingSocket final : public OrganizationSocket {
public:
    int starts = 0;
    int stops = 0;
    std::vector<DeviceMessage::Hello> hellos;

    boost::asio::awaitable<void> start() override {
        ++starts;
        co_return;
    }
    boost::asio::awaitable<void> stop() override {
        ++stops;
        co_return;
    }
    boost::asio::awaitable<void> announce(DeviceMessage::Hello hello) override {
        hellos.push_back(std::move(hello));
        co_return;
    }
};

} // namespace velto::testing
