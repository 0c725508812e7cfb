#include "VeltoDevice/Enrollment/EnrollmentClient.hpp"
#include "VeltoDevice/Enrollment/EnrollmentResponse.hpp"
#include "VeltoDevice/HTTP/DPoPHTTPClient.hpp"
#include "VeltoDevice/HTTP/ErrorBody.hpp"
#include "VeltoDevice/HTTP/HTTPReply.hpp"
#include "VeltoDevice/Scopes/DeviceScopes.hpp"
#include "VeltoDevice/Scopes/DeviceScopesClient.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/Json.hpp"
#include "VeltoDevice/Support/UTF8.hpp"

#include <optional>
#include <variant>

#include "Targets/PropertyViolation.hpp"
#include "Targets/Targets.hpp"

namespace velto::fuzz {

namespace {

void checkEnrollReply(const Bytes& body) {
    if (auto response = EnrollmentResponse::decode(body)) {
        Json written = {{"deviceId", response->deviceId},
                        {"organization", response->organization.toJson()},
                        {"user", response->user.toJson()}};
        require(EnrollmentResponse::decode(toBytes(encodeCompact(written))) == response,
                "an enroll reply re-encodes and decodes to itself");
    }
    static const VeltoServer server = VeltoServer::fromAddress("https://velto.example");
    try {
        (void)EnrollmentClient::enrollment(server, HTTPReply(201, {}, body));
    } catch (const ServerError& error) {
        require(error == ServerError::malformedResponse(), "an enroll reply fails only as malformed");
    }
    // A refusal is an error value, never a throw.
    (void)EnrollmentClient::refusal(HTTPReply(409, {}, body));
}

void checkScopesReply(const Bytes& body) {
    std::optional<DeviceScopes> scopes;
    try {
        scopes = DeviceScopesClient::scopes(HTTPReply(200, {}, body));
    } catch (const ServerError& error) {
        require(error == ServerError::malformedResponse(), "a scopes reply fails only as malformed");
        return;
    }
    require(DeviceScopes::decode(scopes->toJson()) == scopes, "scopes re-encode and decode to themselves");
}

} // namespace

void runReplyBody(std::string_view input) {
    const Bytes body = toBytes(input);
    checkEnrollReply(body);
    checkScopesReply(body);
    (void)ErrorBody::decode(body);
    (void)HTTPReply(401, {}, body).isNonceChallenge();
    if (auto nonce = DPoPHTTPClient::issuedNonce(HTTPReply(200, {}, body)))
        require(!nonce->empty() && utf8::isValid(*nonce), "an issued nonce is text a proof can carry");
}

} // namespace velto::fuzz
