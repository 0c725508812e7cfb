#include "VeltoDevice/Enrollment/EnrollmentClient.hpp"

#include "VeltoDevice/Enrollment/EnrollmentResponse.hpp"
#include "VeltoDevice/HTTP/ErrorBody.hpp"

#include <string_view>

namespace velto {

namespace {

// A free coroutine over copies: a member coroutine would keep only `this`.
boost::asio::awaitable<Enrollment> postEnrollment(VeltoServer server, DPoPHTTPClient http,
                                                  EnrollmentRequest request) {
    // Encoded before anything is sent, so that a body that cannot be written costs no nonce.
    Bytes body = request.encoded();
    boost::urls::url url = server.enrollURL();
    HTTPReply reply = co_await http.post(url, std::move(body));
    if (!reply.isSuccess())
        std::visit([](auto&& error) { throw error; }, EnrollmentClient::refusal(reply));
    co_return EnrollmentClient::enrollment(server, reply);
}

} // namespace

boost::asio::awaitable<Enrollment> EnrollmentClient::enroll(EnrollmentRequest request) const {
    return postEnrollment(server, http, std::move(request));
}

std::variant<EnrollmentError, ServerError> EnrollmentClient::refusal(const HTTPReply& reply) {
    auto body = ErrorBody::decode(reply.body);
    auto code = body ? body->meaning() : std::nullopt;
    if (!code)
        return ServerError::unexpectedStatus(reply.status);
    const std::string_view meaning = *code;
    if (meaning == "DEVICES_CODE_UNUSABLE")
        return EnrollmentError::codeRejected();
    if (meaning == "DEVICES_KEY_ENROLLED")
        return EnrollmentError::keyAlreadyEnrolled();
    if (meaning == "DEVICES_INVALID_PROOF" || meaning == "DEVICES_USE_DPOP_NONCE")
        return EnrollmentError::proofRejected();
    if (meaning == "DEVICES_INVALID_INPUT")
        return ServerError::malformedResponse();
    return ServerError::unexpectedStatus(reply.status);
}

Enrollment EnrollmentClient::enrollment(const VeltoServer& server, const HTTPReply& reply) {
    auto response = EnrollmentResponse::decode(reply.body);
    if (!response)
        throw ServerError::malformedResponse();
    return Enrollment{server, std::move(response->deviceId), std::move(response->organization),
                      std::move(response->user)};
}

} // namespace velto
