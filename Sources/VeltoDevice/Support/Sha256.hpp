#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace velto {

class StopFlag;

/// An incremental SHA-256 (OpenSSL), for input fed in pieces such as files read in blocks.
class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(const void* data, std::size_t size);
    void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }
    /// Feeds what the descriptor reads up to its end, in blocks of `blockSize` bytes, looking at `stop`
    /// (when given) before each block. False when a read fails; errno then says why.
    bool feed(int descriptor, std::size_t blockSize, const StopFlag* stop = nullptr);
    /// The digest of everything fed; call once.
    Digest finish();

    /// Two lower-case hexadecimal digits per byte, no separator.
    static std::string hex(const Digest& digest);

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

} // namespace velto
