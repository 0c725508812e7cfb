#pragma once

#include "VeltoDevice/Support/Bytes.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velto::base64Digits {

/// The standard alphabet (RFC 4648 section 4) and the URL one (section 5).
inline constexpr char standard[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
inline constexpr char url[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

/// The value of a digit of either alphabet; -1 for any other character.
inline int valueOf(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '-' || c == '+')
        return 62;
    if (c == '_' || c == '/')
        return 63;
    return -1;
}

/// The bytes in the alphabet's digits, with "=" padding to whole quanta when `padded`.
inline std::string encode(const std::uint8_t* bytes, std::size_t size, const char* alphabet, bool padded) {
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        std::uint32_t n = (std::uint32_t{bytes[i]} << 16) | (std::uint32_t{bytes[i + 1]} << 8) | bytes[i + 2];
        out += alphabet[(n >> 18) & 63];
        out += alphabet[(n >> 12) & 63];
        out += alphabet[(n >> 6) & 63];
        out += alphabet[n & 63];
    }
    std::size_t rest = size - i;
    if (rest == 0)
        return out;
    std::uint32_t n = std::uint32_t{bytes[i]} << 16;
    if (rest == 2)
        n |= std::uint32_t{bytes[i + 1]} << 8;
    out += alphabet[(n >> 18) & 63];
    out += alphabet[(n >> 12) & 63];
    if (rest == 2)
        out += alphabet[(n >> 6) & 63];
    if (padded)
        out.append(rest == 2 ? 1 : 2, '=');
    return out;
}

/// The bytes of unpadded digits; nothing when one is not a digit of either alphabet, or one of
/// `refused`.
inline std::optional<Bytes> decode(std::string_view digits, std::string_view refused) {
    Bytes out;
    out.reserve(digits.size() * 3 / 4);
    std::uint32_t accumulator = 0;
    int bits = 0;
    for (char c : digits) {
        int value = valueOf(c);
        if (value < 0 || refused.find(c) != std::string_view::npos)
            return std::nullopt;
        accumulator = (accumulator << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>((accumulator >> bits) & 0xFF));
        }
    }
    return out;
}

} // namespace velto::base64Digits
