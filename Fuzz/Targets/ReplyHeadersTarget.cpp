#include "VeltoDevice/DPoP/DPoPProofSigner.hpp"
#include "VeltoDevice/HTTP/BeastHTTPTransport.hpp"
#include "VeltoDevice/HTTP/DPoPHTTPClient.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"

#include <memory>
#include <optional>

#include "FixedSigningKey.hpp"
#include "Targets/PropertyViolation.hpp"
#include "Targets/Targets.hpp"

namespace velto::fuzz {

void runReplyHeaders(std::string_view input) {
    std::optional<HTTPReply> reply;
    try {
        reply = BeastHTTPTransport::readReply(input);
    } catch (const ServerError& error) {
        require(error == ServerError::malformedResponse() || error.kind() == ServerError::Case::unreachable,
                "a reply fails only as malformed or cut short");
        return;
    }
    for (const auto& [name, value] : reply->headers)
        require(reply->header(name) == value, "every header is found by its name");
    (void)reply->isSuccess();
    (void)reply->isNonceChallenge();
    (void)ConnectionError::forRefusedUpgrade(reply->status, reply->header("www-authenticate"));

    // A nonce the signed client keeps is one the next proof can carry.
    if (auto nonce = DPoPHTTPClient::replyNonce(*reply)) {
        static const DPoPProofSigner signer(
            std::make_shared<testing::FixedSigningKey>(),
            [] { return std::chrono::system_clock::time_point(); }, [] { return std::string("id"); });
        static const VeltoServer server = VeltoServer::fromAddress("https://velto.example");
        require(!signer.proof("GET", server.nonceURL(), nonce).empty(), "a kept nonce can be proved");
    }
    if (auto issued = DPoPHTTPClient::issuedNonce(*reply))
        require(!issued->empty(), "an issued nonce is not empty");
}

} // namespace velto::fuzz
