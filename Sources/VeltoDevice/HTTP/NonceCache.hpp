#pragma once

#include <mutex>
#include <optional>
#include <string>

namespace velto {

/// The one cached DPoP nonce of a device identity. `take` empties it, so no nonce is handed out twice.
class NonceCache {
public:
    void store(std::string nonce);
    std::optional<std::string> take();

private:
    std::mutex mutex_;
    std::optional<std::string> nonce_;
};

} // namespace velto
