#include "VeltoDevice/Keys/SecureEnclaveDeviceKey.hpp"

namespace velto {

P256PublicKey SecureEnclaveDeviceKey::publicKey() const {
    return privateKey_.publicKey();
}

P256Signature SecureEnclaveDeviceKey::signature(const Bytes& data) const {
    return privateKey_.signature(data);
}

Bytes SecureEnclaveDeviceKey::dataRepresentation() const {
    return privateKey_.dataRepresentation();
}

} // namespace velto
