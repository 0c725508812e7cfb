#include "VeltoDevice/Support/Base64URL.hpp"

#include "VeltoDevice/Support/Base64Digits.hpp"

namespace velto {

std::string Base64URL::encode(const Bytes& bytes) {
    return base64Digits::encode(bytes.data(), bytes.size(), base64Digits::url, false);
}

std::string Base64URL::encode(std::string_view bytes) {
    return base64Digits::encode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                                base64Digits::url, false);
}

std::optional<Bytes> Base64URL::decode(std::string_view text) {
    // Pad to a whole quantum, then decode strictly: padding only at the end, at most two.
    std::string padded(text);
    padded.append((4 - padded.size() % 4) % 4, '=');
    std::size_t end = padded.size();
    std::size_t padding = 0;
    while (end > 0 && padded[end - 1] == '=') {
        --end;
        ++padding;
    }
    if (padding > 2)
        return std::nullopt;
    std::string_view body(padded.data(), end);
    return base64Digits::decode(body, "");
}

} // namespace velto
