#pragma once

#include "VeltoDevice/Keys/P256Signature.hpp"
#include "VeltoDevice/Support/Bytes.hpp"

namespace velto {

/// The public half of a P-256 signing key, held as its ANSI X9.63 form (0x04, X, Y: 65 bytes).
class P256PublicKey {
public:
    /// Checks that the bytes are an uncompressed point on P-256; throws std::invalid_argument if not.
    static P256PublicKey fromX963(const Bytes& x963);

    const Bytes& x963Representation() const { return x963_; }

    /// ECDSA with SHA-256 of `data`.
    bool isValidSignature(const P256Signature& signature, const Bytes& data) const;

    friend bool operator==(const P256PublicKey&, const P256PublicKey&) = default;

private:
    explicit P256PublicKey(Bytes x963) : x963_(std::move(x963)) {}
    Bytes x963_;
};

} // namespace velto
