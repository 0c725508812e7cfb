#include "VeltoDevice/Support/Sha256.hpp"

#include "VeltoDevice/Support/StopFlag.hpp"

#include <openssl/evp.h>

#include <cerrno>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace velto {

struct Sha256::Context {
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(md); }
};

Sha256::Sha256() : context_(std::make_unique<Context>()) {
    if (context_->md == nullptr || EVP_DigestInit_ex(context_->md, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 is not available");
}

Sha256::~Sha256() = default;

void Sha256::update(const void* data, std::size_t size) {
    if (size > 0 && EVP_DigestUpdate(context_->md, data, size) != 1)
        throw std::runtime_error("SHA-256 failed");
}

bool Sha256::feed(int descriptor, std::size_t blockSize, const StopFlag* stop) {
    std::vector<unsigned char> block(blockSize);
    for (;;) {
        if (stop != nullptr)
            stop->throwIfRequested();
        ssize_t count = ::read(descriptor, block.data(), block.size());
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (count == 0)
            return true;
        update(block.data(), static_cast<std::size_t>(count));
    }
}

Sha256::Digest Sha256::finish() {
    Digest digest{};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context_->md, digest.data(), &length) != 1 || length != digest.size())
        throw std::runtime_error("SHA-256 failed");
    return digest;
}

std::string Sha256::hex(const Digest& digest) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(digest.size() * 2);
    for (std::uint8_t byte : digest) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

} // namespace velto
