#pragma once

#include "VeltoDevice/Keys/DeviceSigningKey.hpp"
#include "VeltoDevice/Keys/P256PrivateKey.hpp"

#include <stdexcept>
#include <string_view>
#include <utility>

namespace velto::testing {

/// A device key held in memory: a plain OpenSSL P-256 key that signs every time.
/// Header-only, so test programs that never use it need not link the key library.
class FixedSigningKey final : public DeviceSigningKey {
public:
    explicit FixedSigningKey(P256PrivateKey key = P256PrivateKey::generate())
        : key_(std::move(key)), publicKey_(key_.publicKey()) {}

    P256PublicKey publicKey() const override { return publicKey_; }
    P256Signature signature(const Bytes& data) const override { return key_.signature(data); }

    const P256PrivateKey& privateKey() const { return key_; }

    /// Always the same key, for tests that pin public texts. Its JWK coordinates are
    /// x "kZmYrovnLt1jX51EYi-plrDn3SiMUdKPJW4POkLXQHA", y "ccX1jFVpy3PqI_SEhMJ_50qXHVzBmatVtADaHnowwcQ",
    /// its thumbprint "u0qGzJYQvZnD-qCBEE9S4BGM19ADajVwCmIA9sb7f3o".
    static FixedSigningKey known() {
        constexpr std::string_view der =
            "3077020101042046fb2abb0f13575fddc08715b7dae326cc011e49ef35ec146603c2b2a3"
            "f16e53a00a06082a8648ce3d030107a14403420004919998ae8be72edd635f9d44622fa9"
            "96b0e7dd288c51d28f256e0f3a42d7407071c5f58c5569cb73ea23f48484c27fe74a971d"
            "5cc199ab55b400da1e7a30c1c4";
        Bytes bytes;
        for (std::size_t i = 0; i + 1 < der.size(); i += 2) {
            auto nibble = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
            bytes.push_back(static_cast<std::uint8_t>(nibble(der[i]) * 16 + nibble(der[i + 1])));
        }
        auto key = P256PrivateKey::fromDataRepresentation(bytes);
        if (!key)
            throw std::logic_error("the known test key does not open");
        return FixedSigningKey(std::move(*key));
    }

private:
    P256PrivateKey key_;
    P256PublicKey publicKey_;
};

} // namespace velto::testing
