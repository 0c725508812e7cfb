#pragma once

#include "VeltoDevice/DPoP/PublicJWK.hpp"
#include "VeltoDevice/Keys/DeviceSigningKey.hpp"

#include <boost/url/url_view.hpp>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// Makes the DPoP proofs (RFC 9449) of one device key. Immutable; safe to share between threads.
class DPoPProofSigner {
public:
    using Now = std::function<std::chrono::system_clock::time_point()>;
    using MakeID = std::function<std::string()>;

    /// The `htm` of proofs sent inside the WebSocket session.
    static constexpr const char* socketMethod = "WS";

    /// `now` defaults to the system clock, `makeID` to `randomUUID()`.
    explicit DPoPProofSigner(std::shared_ptr<const DeviceSigningKey> key, Now now = {}, MakeID makeID = {});

    /// The compact proof for `method` and `url`; throws DPoPError, or nlohmann's type_error for a
    /// method or nonce that is not UTF-8.
    std::string proof(std::string_view method, boost::urls::url_view url,
                      const std::optional<std::string>& nonce) const;

    PublicJWK publicJWK() const;

    const std::shared_ptr<const DeviceSigningKey>& key() const { return key_; }

private:
    struct KeyForm;
    /// The key's JWK and the header segment it gives, formed on first use and shared by copies:
    /// the key does not change, and forming its public half costs more than a signature.
    const KeyForm& keyForm() const;

    std::shared_ptr<const DeviceSigningKey> key_;
    Now now_;
    MakeID makeID_;
    std::shared_ptr<KeyForm> keyForm_;
};

} // namespace velto
