#pragma once

#include "VeltoDevice/HTTP/HTTPReply.hpp"
#include "VeltoDevice/HTTP/HTTPRequest.hpp"

#include <boost/asio/awaitable.hpp>

namespace velto {

/// Sends one request; a failure to get any HTTP reply is a ServerError.
class HTTPTransport {
public:
    virtual ~HTTPTransport() = default;
    virtual boost::asio::awaitable<HTTPReply> send(HTTPRequest request) = 0;
};

} // namespace velto
