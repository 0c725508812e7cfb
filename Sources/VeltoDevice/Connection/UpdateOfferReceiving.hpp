#pragma once

#include "VeltoDevice/Protocol/ServerMessage.hpp"

#include <boost/asio/awaitable.hpp>

namespace velto {

/// Where a session hands the update offers its server sends.
class UpdateOfferReceiving {
public:
    virtual ~UpdateOfferReceiving() = default;

    virtual boost::asio::awaitable<void> receive(ServerMessage::UpdateOffer offer) = 0;
};

} // namespace velto
