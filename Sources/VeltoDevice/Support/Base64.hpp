#pragma once

#include "VeltoDevice/Support/Bytes.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// Standard base64 with padding (RFC 4648 section 4), as update keys and signatures are written.
struct Base64 {
    static std::string encode(const Bytes& bytes);
    /// Strict: the length a multiple of 4, only the alphabet's characters, and "=" (at most two) only
    /// at the end. Anything else, a line break or a space included, gives nothing.
    static std::optional<Bytes> decode(std::string_view text);
};

} // namespace velto
