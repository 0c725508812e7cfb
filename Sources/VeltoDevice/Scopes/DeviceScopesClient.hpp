#pragma once

#include "VeltoDevice/HTTP/DPoPHTTPClient.hpp"
#include "VeltoDevice/HTTP/HTTPReply.hpp"
#include "VeltoDevice/Scopes/DeviceScope.hpp"
#include "VeltoDevice/Scopes/DeviceScopes.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"

#include <boost/asio/awaitable.hpp>

#include <cstddef>
#include <string>

namespace velto {

/// Reads and answers one device's scopes with signed requests. Keeps no state; the operations copy
/// what they need, so the client may go away before they are awaited.
struct DeviceScopesClient {
    VeltoServer server;
    DPoPHTTPClient http;
    std::string deviceId;

    /// A scopes record is a few hundred bytes; a larger reply is refused rather than parsed.
    static constexpr std::size_t maximumBodySize = 1024 * 1024;

    /// GET of the device's scopes.
    boost::asio::awaitable<DeviceScopes> fetch() const;
    /// PUT of {"isGranted": …} to the scope's own URL; the record as the server has it afterwards.
    boost::asio::awaitable<DeviceScopes> answer(DeviceScope scope, bool isGranted) const;

    /// 200: the decoded record, else ServerError::malformedResponse (a body over `maximumBodySize`
    /// included); 401: ConnectionError::revoked; any other status: ServerError::unexpectedStatus.
    static DeviceScopes scopes(const HTTPReply& reply);
};

} // namespace velto
