#pragma once

#include "VeltoDevice/Support/Bytes.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// Unpadded base64url (RFC 4648 section 5).
struct Base64URL {
    static std::string encode(const Bytes& bytes);
    static std::string encode(std::string_view bytes);
    /// Accepts text with or without "=" padding; anything that is not base64url gives nothing.
    static std::optional<Bytes> decode(std::string_view text);
};

} // namespace velto
