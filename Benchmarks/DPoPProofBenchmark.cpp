// The cost of a whole proof against the bare ECDSA signature it contains.
#include "VeltoDevice/DPoP/DPoPProofSigner.hpp"
#include "VeltoDevice/Keys/DeviceSigningKey.hpp"
#include "VeltoDevice/Keys/P256PrivateKey.hpp"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <stdexcept>

#include "BenchmarkRatio.hpp"

namespace velto {
namespace {

constexpr const char* kURL = "https://velto.example/api/v1/devices/enroll?attempt=2#top";
constexpr const char* kNonce = "eyJ7S_zG.eyJH0-Z.HX4w-7v";

/// A device key over an in-memory OpenSSL key that, like the stored device key, forms its public
/// half on every call.
class MemorySigningKey final : public DeviceSigningKey {
public:
    explicit MemorySigningKey(P256PrivateKey key) : key_(std::move(key)) {}
    P256PublicKey publicKey() const override { return key_.publicKey(); }
    P256Signature signature(const Bytes& data) const override { return key_.signature(data); }

private:
    P256PrivateKey key_;
};

const P256PrivateKey& sharedKey() {
    static const P256PrivateKey key = P256PrivateKey::generate();
    return key;
}

void proof(benchmark::State& state) {
    DPoPProofSigner signer(std::make_shared<MemorySigningKey>(sharedKey()));
    boost::urls::url_view url(kURL);
    std::optional<std::string> nonce(kNonce);
    for (auto _ : state) {
        benchmark::DoNotOptimize(signer.proof("POST", url, nonce));
    }
}

void bareSignature(benchmark::State& state) {
    // The same key as a plain EVP_PKEY, signing the signing input of a real proof.
    Bytes der = sharedKey().dataRepresentation();
    const unsigned char* cursor = der.data();
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
        d2i_PrivateKey(EVP_PKEY_EC, nullptr, &cursor, static_cast<long>(der.size())), &EVP_PKEY_free);
    if (!key)
        throw std::runtime_error("the benchmark key does not open");
    DPoPProofSigner signer(std::make_shared<MemorySigningKey>(sharedKey()));
    std::string sample = signer.proof("POST", boost::urls::url_view(kURL), std::string(kNonce));
    std::string input = sample.substr(0, sample.rfind('.'));

    // Set up once and copied per signature, as the device key signs.
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> prepared(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (EVP_DigestSignInit(prepared.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1)
        throw std::runtime_error("OpenSSL could not start signing");
    unsigned char signature[128];
    for (auto _ : state) {
        std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
        std::size_t length = sizeof signature;
        if (EVP_MD_CTX_copy_ex(context.get(), prepared.get()) != 1 ||
            EVP_DigestSign(context.get(), signature, &length,
                           reinterpret_cast<const unsigned char*>(input.data()), input.size()) != 1) {
            state.SkipWithError("OpenSSL could not sign");
            break;
        }
        benchmark::DoNotOptimize(signature);
    }
}

BENCHMARK(proof)->Name("DPoPProof/proof");
BENCHMARK(bareSignature)->Name("DPoPProof/bareSignature");

[[maybe_unused]] const bool registered =
    benchmarks::BenchmarkRatio::add("DPoPProof/proof", "DPoPProof/bareSignature", 1.3);

} // namespace
} // namespace velto
