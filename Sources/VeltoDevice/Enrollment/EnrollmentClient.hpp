#pragma once

#include "VeltoDevice/Enrollment/Enrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Enrollment/EnrollmentRequest.hpp"
#include "VeltoDevice/HTTP/DPoPHTTPClient.hpp"
#include "VeltoDevice/HTTP/HTTPReply.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"

#include <boost/asio/awaitable.hpp>

#include <variant>

namespace velto {

/// Spends one enrollment code with a signed POST of the request to the enroll endpoint. Keeps no state;
/// the operation copies what it needs, so the client may go away before it is awaited.
struct EnrollmentClient {
    VeltoServer server;
    /// Bound to the new device key's proof signer.
    DPoPHTTPClient http;

    /// The enrollment the server made, on this client's server. A refusal throws as `refusal` maps it, a
    /// 2xx body that does not decode ServerError::malformedResponse; errors of the signed client (the
    /// transport, the nonce request, the signer) pass through unchanged.
    boost::asio::awaitable<Enrollment> enroll(EnrollmentRequest request) const;

    /// The error of a reply outside 2xx, from its error body's "code" (else "error"), whatever the
    /// status: DEVICES_CODE_UNUSABLE codeRejected, DEVICES_KEY_ENROLLED keyAlreadyEnrolled,
    /// DEVICES_INVALID_PROOF and DEVICES_USE_DPOP_NONCE proofRejected, DEVICES_INVALID_INPUT
    /// ServerError::malformedResponse; any other code, or a body without one,
    /// ServerError::unexpectedStatus with the status.
    static std::variant<EnrollmentError, ServerError> refusal(const HTTPReply& reply);
    /// The enrollment of a 2xx reply; throws ServerError::malformedResponse.
    static Enrollment enrollment(const VeltoServer& server, const HTTPReply& reply);
};

} // namespace velto
