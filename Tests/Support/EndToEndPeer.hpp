#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ChildProcess.hpp"
#include "TemporaryFolder.hpp"

namespace velto::testing {

/// The Node server peer of Tests/EndToEnd, started for one test: a test authority made in a
/// temporary folder, `node server.mjs` serving TLS on 127.0.0.1 with a certificate of that
/// authority, and its plain control server. The destructor stops and reaps the process and removes
/// the folder. Needs VELTO_SOURCE_DIR and the peer's packages (npm ci in Tests/EndToEnd).
class EndToEndPeer {
public:
    struct Options {
        /// The server certificate's names, in openssl's subjectAltName form.
        std::string subjectAltNames = "IP:127.0.0.1,DNS:localhost";
    };

    EndToEndPeer();
    explicit EndToEndPeer(Options options);
    ~EndToEndPeer();

    EndToEndPeer(const EndToEndPeer&) = delete;
    EndToEndPeer& operator=(const EndToEndPeer&) = delete;

    std::uint16_t port() const { return port_; }
    /// The test authority's certificate, to trust besides the system store.
    std::filesystem::path caFile() const { return folder_.path() / "ca.pem"; }
    /// "https://<host>:<port>/".
    std::string baseURL(std::string_view host = "127.0.0.1") const;
    pid_t pid() const { return process_->pid(); }

    /// A blocking request to the control server; its JSON reply. Throws std::runtime_error unless 2xx.
    nlohmann::json control(const std::string& method, const std::string& path,
                           const nlohmann::json& body = nullptr) const;
    /// What the peer saw: nonceRequests, signedNonceRequests, verifiedProofs, rejectedProofs,
    /// rejections, challengesSent, requests, serverNames, silentRequests, pendingChallenges.
    nlohmann::json stats() const { return control("GET", "/control/stats"); }
    /// The next signed requests are answered with these 401s in order: "nonce" (a challenge with a
    /// fresh "DPoP-Nonce"), "bare" (the same without a nonce), "www-authenticate" (a nonce and the
    /// challenge in that header only).
    void scriptChallenges(const std::vector<std::string>& challenges) const;
    /// Merges keys into the peer's configuration: nonceDelivery ("header", "body", "both"),
    /// nonceStatus, replyNonce.
    void configure(const nlohmann::json& settings) const;

    /// The Tests/EndToEnd folder of the source tree.
    static std::filesystem::path directory();

private:
    TemporaryFolder folder_;
    std::unique_ptr<ChildProcess> process_;
    std::uint16_t port_ = 0;
    std::uint16_t controlPort_ = 0;
};

} // namespace velto::testing
