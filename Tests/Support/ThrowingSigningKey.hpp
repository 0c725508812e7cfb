#pragma once

#include "VeltoDevice/Keys/DeviceSigningKey.hpp"
#include "VeltoDevice/Keys/P256PrivateKey.hpp"

#include <exception>
#include <stdexcept>

namespace velto::testing {

/// A device key with a real public half whose every signature fails with `error`
/// (by default a std::runtime_error), as a key the keychain or the enclave refuses.
class ThrowingSigningKey final : public DeviceSigningKey {
public:
    explicit ThrowingSigningKey(std::exception_ptr error = std::make_exception_ptr(
                                    std::runtime_error("the device key refused to sign")))
        : publicKey_(P256PrivateKey::generate().publicKey()), error_(std::move(error)) {}

    P256PublicKey publicKey() const override { return publicKey_; }
    P256Signature signature(const Bytes&) const override { std::rethrow_exception(error_); }

private:
    P256PublicKey publicKey_;
    std::exception_ptr error_;
};

} // namespace velto::testing
