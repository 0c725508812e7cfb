#include "VeltoDevice/HTTP/NonceCache.hpp"

namespace velto {

void NonceCache::store(std::string nonce) {
    std::lock_guard lock(mutex_);
    nonce_ = std::move(nonce);
}

std::optional<std::string> NonceCache::take() {
    std::lock_guard lock(mutex_);
    std::optional<std::string> nonce = std::move(nonce_);
    nonce_.reset();
    return nonce;
}

} // namespace velto
