#include "VeltoDevice/Scopes/DeviceScopesClient.hpp"

#include "VeltoDevice/Scopes/ScopeAnswer.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/Json.hpp"

namespace velto {

namespace {

// Free coroutines over copies: a member coroutine would keep only `this`.
boost::asio::awaitable<DeviceScopes> getScopes(DPoPHTTPClient http, boost::urls::url url) {
    co_return DeviceScopesClient::scopes(co_await http.get(url));
}

boost::asio::awaitable<DeviceScopes> putAnswer(DPoPHTTPClient http, boost::urls::url url, Bytes body) {
    co_return DeviceScopesClient::scopes(co_await http.put(url, std::move(body)));
}

} // namespace

boost::asio::awaitable<DeviceScopes> DeviceScopesClient::fetch() const {
    return getScopes(http, server.deviceScopesURL(deviceId));
}

boost::asio::awaitable<DeviceScopes> DeviceScopesClient::answer(DeviceScope scope, bool isGranted) const {
    return putAnswer(http, server.deviceScopeURL(deviceId, rawValue(scope)),
                     ScopeAnswer{isGranted}.encoded());
}

DeviceScopes DeviceScopesClient::scopes(const HTTPReply& reply) {
    if (reply.status == 401)
        throw ConnectionError::revoked();
    if (reply.status != 200)
        throw ServerError::unexpectedStatus(reply.status);
    if (reply.body.size() > maximumBodySize)
        throw ServerError::malformedResponse();
    auto value = parseJson(reply.body);
    if (!value)
        throw ServerError::malformedResponse();
    auto record = DeviceScopes::decode(*value);
    if (!record)
        throw ServerError::malformedResponse();
    return std::move(*record);
}

} // namespace velto
