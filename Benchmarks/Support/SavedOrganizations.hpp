#pragma once

#include "VeltoDevice/HTTP/DeviceIdentity.hpp"
#include "VeltoDevice/Enrollment/ApprovedCode.hpp"
#include "VeltoDevice/Enrollment/EnrollmentClient.hpp"
#include "VeltoDevice/Enrollment/EnrollmentCode.hpp"
#include "VeltoDevice/Enrollment/EnrollmentListStore.hpp"
#include "VeltoDevice/Enrollment/EnrollmentRequest.hpp"
#include "VeltoDevice/Enrollment/SavedEnrollments.hpp"
#include "VeltoDevice/HTTP/BeastHTTPTransport.hpp"
#include "VeltoDevice/Keys/KeychainDeviceKeyring.hpp"
#include "VeltoDevice/Keys/SecureEnclaveKeyStore.hpp"

#include <boost/asio/io_context.hpp>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "EndToEndPeer.hpp"
#include "Measurement.hpp"

namespace velto::benchmarks {

/// The code of organization `index`: eight symbols of the service's alphabet.
inline std::string benchmarkCode(int index) {
    std::string code = "BENCH000";
    code[5] = static_cast<char>('A' + index / 100 % 10);
    code[6] = static_cast<char>('0' + index / 10 % 10);
    code[7] = static_cast<char>('0' + index % 10);
    return code;
}

inline boost::asio::awaitable<std::optional<Enrollment>> enrollOnce(EnrollmentClient client,
                                                                    EnrollmentRequest request) {
    co_return co_await client.enroll(std::move(request));
}

/// Enrolls `organizations` organizations of the peer through the library, into the enrollments of
/// $XDG_DATA_HOME and the session's keyring, as the agent itself would have.
inline void enrollOrganizations(const testing::EndToEndPeer& peer, int organizations) {
    boost::asio::io_context context;
    auto server = VeltoServer::fromBaseURL(boost::urls::url(peer.baseURL()));
    auto transport =
        std::make_shared<BeastHTTPTransport>(BeastHTTPTransport::Options{.extraTrustAnchor = peer.caFile()});
    SavedEnrollments saved(KeychainDeviceKeyring::standard(),
                           std::make_shared<EnrollmentListStore>(EnrollmentListStore::applicationSupport()));
    for (int index = 0; index < organizations; ++index) {
        const auto code = benchmarkCode(index);
        Json organization{{"id", "org-" + std::to_string(index)}, {"name", "Org " + std::to_string(index)}};
        peer.control("POST", "/control/enrollment-codes",
                     {{"codes", Json::array({{{"code", code}, {"organization", organization}}})}});
        auto key = std::make_shared<SecureEnclaveDeviceKey>(
            SecureEnclaveKeyStore(KeychainDeviceKeyring::standard()).makeKey());
        DeviceIdentity identity(server, key, transport);
        EnrollmentRequest request(ApprovedCode{server, EnrollmentCode::fromTyped(code)}, "Bench", "0.1.0",
                                  {});
        auto enrollment = *runToEnd(context, enrollOnce(EnrollmentClient{server, identity.http}, request));
        saved.add(enrollment, key->dataRepresentation());
    }
}

/// Setup finished, as for a user who paired the organizations: the agent starts in the tray.
inline void finishSetup(const std::filesystem::path& home) {
    std::filesystem::create_directories(home / "config" / "Velto");
    std::ofstream(home / "config" / "Velto" / "app.velto.desktop.json") << R"({"hasFinishedSetup": true})";
}

/// How many of the peer's sessions are open and welcomed.
inline int welcomedSessions(const testing::EndToEndPeer& peer) {
    int welcomed = 0;
    const auto reply = peer.control("GET", "/control/connect/sessions");
    for (const auto& session : reply["sessions"])
        welcomed += session["open"].get<bool>() && session["welcomed"].get<bool>() ? 1 : 0;
    return welcomed;
}

} // namespace velto::benchmarks
