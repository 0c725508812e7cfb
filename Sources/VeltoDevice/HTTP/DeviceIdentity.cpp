#include "VeltoDevice/HTTP/DeviceIdentity.hpp"

namespace velto {

DeviceIdentity::DeviceIdentity(VeltoServer server_, std::shared_ptr<const DeviceSigningKey> key,
                               std::shared_ptr<HTTPTransport> transport)
    : server(server_), signer(std::move(key)),
      http(std::move(server_), signer, std::move(transport), std::make_shared<NonceCache>()) {}

} // namespace velto
