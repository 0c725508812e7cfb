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

    /// `now` defaults to the system clock, `makeID` to a new random upper-case UUID.
    explicit DPoPProofSigner(std::shared_ptr<const DeviceSigningKey> key, Now now = {}, MakeID makeID = {});

    /// The compact proof for `method` and `url`; throws DPoPError.
    std::string proof(std::string_view method, boost::urls::url_view url,
                      const std::optional<std::string>& nonce) const;

    PublicJWK publicJWK() const;

    const std::shared_ptr<const DeviceSigningKey>& key() const { return key_; }

    /// A new random UUID in its 36-character upper-case text form.
    static std::string randomUUID();

private:
    std::shared_ptr<const DeviceSigningKey> key_;
    Now now_;
    MakeID makeID_;
};

} // namespace velto
