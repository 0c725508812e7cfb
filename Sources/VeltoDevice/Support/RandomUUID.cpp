#include "VeltoDevice/Support/RandomUUID.hpp"

#include <openssl/rand.h>

#include <array>
#include <cstddef>
#include <mutex>
#include <stdexcept>

namespace velto {

namespace {

constexpr std::size_t uuidSize = 16;

/// Random bytes drawn from OpenSSL a batch at a time: one call costs about as much for a batch as
/// for one id, and a session asks for an id with every proof.
class RandomBatch {
public:
    std::array<unsigned char, uuidSize> take() {
        std::lock_guard lock(mutex_);
        if (used_ == bytes_.size()) {
            if (RAND_bytes(bytes_.data(), static_cast<int>(bytes_.size())) != 1)
                throw std::runtime_error("OpenSSL could not make random bytes");
            used_ = 0;
        }
        std::array<unsigned char, uuidSize> taken{};
        for (auto& byte : taken) {
            byte = bytes_[used_];
            bytes_[used_++] = 0; // never handed out twice
        }
        return taken;
    }

private:
    std::mutex mutex_;
    std::array<unsigned char, 64 * uuidSize> bytes_{};
    std::size_t used_ = bytes_.size();
};

} // namespace

std::string randomUUID() {
    static RandomBatch batch;
    auto bytes = batch.take();
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += hex[bytes[i] >> 4];
        text += hex[bytes[i] & 0x0F];
    }
    return text;
}

} // namespace velto
