#include "VeltoDevice/Support/Base64.hpp"

#include "VeltoDevice/Support/Base64Digits.hpp"

#include <cstdint>

namespace velto {

std::string Base64::encode(const Bytes& bytes) {
    return base64Digits::encode(bytes.data(), bytes.size(), base64Digits::standard, true);
}

std::optional<Bytes> Base64::decode(std::string_view text) {
    if (text.size() % 4 != 0)
        return std::nullopt;
    std::size_t padding = 0;
    while (padding < text.size() && text[text.size() - 1 - padding] == '=')
        ++padding;
    if (padding > 2)
        return std::nullopt;
    std::string_view body = text.substr(0, text.size() - padding);
    return base64Digits::decode(body, "-_");
}

} // namespace velto
