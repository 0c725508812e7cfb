#include "VeltoDevice/CommandLineTool/CommandLineLoginClient.hpp"

#include "VeltoDevice/CommandLineTool/CommandLineLoginResponse.hpp"
#include "VeltoDevice/HTTP/ErrorBody.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/Json.hpp"

namespace velto {

namespace {

// A free coroutine over copies: a member coroutine would keep only `this`.
boost::asio::awaitable<CommandLineLogin> postLogin(VeltoServer server, DPoPHTTPClient http,
                                                   std::string device) {
    boost::urls::url url = server.commandLineLoginURL();
    auto request = http.post(url, toBytes("{}"));
    HTTPReply reply = co_await std::move(request);
    co_return CommandLineLoginClient::login(reply, server, device);
}

} // namespace

boost::asio::awaitable<CommandLineLogin> CommandLineLoginClient::login() const {
    return postLogin(server, http, deviceId);
}

CommandLineLogin CommandLineLoginClient::login(const HTTPReply& reply, const VeltoServer& server,
                                               const std::string& device) {
    if (reply.isSuccess()) {
        auto value = reply.body.size() <= maximumBodySize ? parseJson(reply.body) : std::nullopt;
        auto response = value ? CommandLineLoginResponse::decode(*value) : std::nullopt;
        if (!response)
            throw ServerError::malformedResponse();
        return CommandLineLogin{device, std::string(server.baseURL().buffer()), std::move(response->token),
                                std::move(response->expiresAt), std::move(response->organization)};
    }
    auto body = reply.body.size() <= maximumBodySize ? ErrorBody::decode(reply.body) : std::nullopt;
    auto meaning = body ? body->meaning() : std::nullopt;
    if (meaning == "DEVICES_UNKNOWN_DEVICE" || meaning == "DEVICES_REVOKED")
        throw ConnectionError::revoked();
    throw ServerError::unexpectedStatus(reply.status);
}

} // namespace velto
