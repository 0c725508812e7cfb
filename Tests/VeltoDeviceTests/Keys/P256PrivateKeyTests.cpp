#include "VeltoDevice/Keys/P256PrivateKey.hpp"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace velto {
namespace {

// Signing is set up once per key and copied for each signature: every signature, from the key or a
// copy of it, on any thread, must stand on its own message alone.
TEST(P256PrivateKey, EverySignatureOfOneKeyVerifiesForItsOwnMessageOnly) {
    const auto key = P256PrivateKey::generate();
    const auto publicKey = key.publicKey();
    constexpr int threads = 4;
    constexpr int each = 25;
    std::vector<std::vector<std::pair<Bytes, P256Signature>>> signed_(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&signed_, t, copy = key] {
            for (int i = 0; i < each; ++i) {
                auto data = toBytes("proof " + std::to_string(t) + "." + std::to_string(i));
                signed_[static_cast<std::size_t>(t)].emplace_back(data, copy.signature(data));
            }
        });
    }
    for (auto& worker : workers)
        worker.join();

    std::vector<std::pair<Bytes, P256Signature>> all;
    for (const auto& batch : signed_)
        all.insert(all.end(), batch.begin(), batch.end());
    ASSERT_EQ(all.size(), static_cast<std::size_t>(threads * each));
    for (std::size_t i = 0; i < all.size(); ++i) {
        const auto& [data, signature] = all[i];
        EXPECT_TRUE(publicKey.isValidSignature(signature, data)) << i;
        const auto& other = all[(i + 1) % all.size()].first;
        EXPECT_FALSE(publicKey.isValidSignature(signature, other)) << i;
    }
    // The same message twice: a fresh nonce each time.
    auto data = toBytes("the same proof");
    EXPECT_NE(key.signature(data).rawRepresentation(), key.signature(data).rawRepresentation());
}

} // namespace
} // namespace velto
