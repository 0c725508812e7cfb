#include "VeltoDevice/Connection/OrganizationSockets.hpp"

#include <algorithm>
#include <utility>

namespace velto {

boost::asio::awaitable<void> OrganizationSockets::add(std::shared_ptr<OrganizationSocket> socket,
                                                      std::string id) {
    if (!sockets_.contains(id))
        ids_.push_back(id);
    sockets_[std::move(id)] = std::move(socket);
    co_return;
}

boost::asio::awaitable<void> OrganizationSockets::remove(std::string id) {
    std::erase(ids_, id);
    auto found = sockets_.find(id);
    if (found == sockets_.end())
        co_return;
    auto socket = std::move(found->second);
    sockets_.erase(found);
    co_await socket->stop();
}

boost::asio::awaitable<void> OrganizationSockets::apply(bool wantsConnection) {
    auto pass = ++passNumber_;
    auto snapshot = ids_;
    for (const auto& id : snapshot) {
        if (passNumber_ != pass)
            co_return;
        auto socket = this->socket(id);
        if (!socket)
            continue;
        if (wantsConnection)
            co_await socket->start();
        else
            co_await socket->stop();
    }
}

boost::asio::awaitable<void> OrganizationSockets::announce(DeviceMessage::Hello hello) {
    auto snapshot = ids_;
    for (const auto& id : snapshot) {
        if (auto socket = this->socket(id))
            co_await socket->announce(hello);
    }
}

std::shared_ptr<OrganizationSocket> OrganizationSockets::socket(const std::string& id) const {
    auto found = sockets_.find(id);
    return found == sockets_.end() ? nullptr : found->second;
}

} // namespace velto
