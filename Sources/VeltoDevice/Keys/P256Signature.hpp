#pragma once

#include "VeltoDevice/Support/Bytes.hpp"

#include <stdexcept>

namespace velto {

/// An ECDSA P-256 signature in its raw form: r then s, each 32 bytes big-endian.
class P256Signature {
public:
    /// Throws std::invalid_argument unless `raw` is 64 bytes.
    static P256Signature fromRaw(Bytes raw);
    /// From the DER encoding OpenSSL produces; throws std::invalid_argument when it does not parse.
    static P256Signature fromDER(const Bytes& der);

    const Bytes& rawRepresentation() const { return raw_; }
    Bytes derRepresentation() const;

    friend bool operator==(const P256Signature&, const P256Signature&) = default;

private:
    explicit P256Signature(Bytes raw) : raw_(std::move(raw)) {}
    Bytes raw_;
};

} // namespace velto
