#pragma once

#include "VeltoDevice/DPoP/DPoPProofSigner.hpp"
#include "VeltoDevice/HTTP/DPoPHTTPClient.hpp"
#include "VeltoDevice/HTTP/HTTPTransport.hpp"
#include "VeltoDevice/Keys/DeviceSigningKey.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"

#include <memory>

namespace velto {

/// What one enrollment needs to talk to its server: the address, the signer over its device key
/// and the signed client over both, with a nonce cache of its own (shared by copies).
struct DeviceIdentity {
    VeltoServer server;
    DPoPProofSigner signer;
    DPoPHTTPClient http;

    DeviceIdentity(VeltoServer server, std::shared_ptr<const DeviceSigningKey> key,
                   std::shared_ptr<HTTPTransport> transport);
};

} // namespace velto
