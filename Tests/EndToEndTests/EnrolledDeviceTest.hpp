#pragma once

#include "VeltoDevice/Enrollment/ApprovedCode.hpp"
#include "VeltoDevice/Enrollment/Enrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentClient.hpp"
#include "VeltoDevice/Enrollment/EnrollmentCode.hpp"
#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Enrollment/EnrollmentRequest.hpp"
#include "VeltoDevice/HTTP/BeastHTTPTransport.hpp"
#include "VeltoDevice/HTTP/DeviceIdentity.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "EndToEndPeer.hpp"
#include "FixedSigningKey.hpp"

namespace velto::testing {

/// The peer, the real transport trusting its authority, and the enrollment road to it: codes offered
/// through the peer's control server, each device a new key with an identity of its own.
struct EnrolledDeviceTest : ::testing::Test {
    using Outcome = std::variant<Enrollment, EnrollmentError, ServerError>;

    EndToEndPeer peer;
    AsyncTestLoop loop;
    VeltoServer server = VeltoServer::fromBaseURL(boost::urls::url(peer.baseURL()));
    std::shared_ptr<BeastHTTPTransport> transport =
        std::make_shared<BeastHTTPTransport>(BeastHTTPTransport::Options{.extraTrustAnchor = peer.caFile()});

    /// Codes the peer accepts once: each a code's value, or {"code", "organization", "user"}.
    void offerCodes(const Json& codes) const {
        peer.control("POST", "/control/enrollment-codes", {{"codes", codes}});
    }
    /// What the peer enrolled, in order: {deviceId, jkt, code, organization, user, request, scopes}.
    Json enrolledDevices() const { return peer.control("GET", "/control/devices")["devices"]; }

    /// The identity over a new device key, as enrolling makes one.
    DeviceIdentity newIdentity() const {
        return DeviceIdentity(server, std::make_shared<FixedSigningKey>(), transport);
    }

    EnrollmentRequest request(const std::string& typedCode) const {
        return EnrollmentRequest(ApprovedCode{server, EnrollmentCode::fromTyped(typedCode)}, "Test Mac",
                                 "1.0.0", {});
    }

    Outcome enroll(const DPoPHTTPClient& http, EnrollmentRequest enrollmentRequest) {
        try {
            return loop.run(EnrollmentClient{server, http}.enroll(std::move(enrollmentRequest)));
        } catch (const EnrollmentError& error) {
            return error;
        } catch (const ServerError& error) {
            return error;
        }
    }

    /// Enrolls the identity's key with the code; fails the test unless the peer accepts it.
    Enrollment enrolled(const DeviceIdentity& identity, const std::string& typedCode) {
        Outcome outcome = enroll(identity.http, request(typedCode));
        if (auto* error = std::get_if<EnrollmentError>(&outcome))
            ADD_FAILURE() << "enrolling " << typedCode << ": " << error->what();
        if (auto* serverError = std::get_if<ServerError>(&outcome))
            ADD_FAILURE() << "enrolling " << typedCode << ": " << serverError->what();
        return std::get<Enrollment>(outcome);
    }
};

} // namespace velto::testing
