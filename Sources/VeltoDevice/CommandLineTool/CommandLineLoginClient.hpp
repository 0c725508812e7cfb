#pragma once

#include "VeltoDevice/CommandLineTool/CommandLineLogin.hpp"
#include "VeltoDevice/HTTP/DPoPHTTPClient.hpp"
#include "VeltoDevice/HTTP/DeviceIdentity.hpp"
#include "VeltoDevice/HTTP/HTTPReply.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"

#include <boost/asio/awaitable.hpp>

#include <cstddef>
#include <string>

namespace velto {

/// Asks the server for a login of the velto command, signed with the enrollment's device key. Keeps no
/// state; the operation copies what it needs.
struct CommandLineLoginClient {
    VeltoServer server;
    DPoPHTTPClient http;
    std::string deviceId;

    CommandLineLoginClient(const DeviceIdentity& identity, std::string device)
        : server(identity.server), http(identity.http), deviceId(std::move(device)) {}

    /// A login is a few hundred bytes; a larger reply is refused rather than parsed.
    static constexpr std::size_t maximumBodySize = 1024 * 1024;

    /// A signed POST of "{}" to "api/devices/session". The client's own errors pass through.
    boost::asio::awaitable<CommandLineLogin> login() const;

    /// 2xx: the login (ServerError::malformedResponse when the body is not a login answer); another
    /// status with the code (else the error) "DEVICES_UNKNOWN_DEVICE" or "DEVICES_REVOKED":
    /// ConnectionError::revoked; anything else: ServerError::unexpectedStatus.
    static CommandLineLogin login(const HTTPReply& reply, const VeltoServer& server,
                                  const std::string& device);
};

} // namespace velto
