#include "VeltoDevice/Support/Base64URL.hpp"

namespace velto {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

int valueOf(char c) {
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

template <typename Iterator> std::string encodeRange(Iterator begin, std::size_t size) {
    std::string out;
    out.reserve((size * 4 + 2) / 3);
    std::size_t i = 0;
    auto at = [&](std::size_t index) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(begin[index]));
    };
    for (; i + 3 <= size; i += 3) {
        std::uint32_t n = (at(i) << 16) | (at(i + 1) << 8) | at(i + 2);
        out += kAlphabet[(n >> 18) & 63];
        out += kAlphabet[(n >> 12) & 63];
        out += kAlphabet[(n >> 6) & 63];
        out += kAlphabet[n & 63];
    }
    if (size - i == 1) {
        std::uint32_t n = at(i) << 16;
        out += kAlphabet[(n >> 18) & 63];
        out += kAlphabet[(n >> 12) & 63];
    } else if (size - i == 2) {
        std::uint32_t n = (at(i) << 16) | (at(i + 1) << 8);
        out += kAlphabet[(n >> 18) & 63];
        out += kAlphabet[(n >> 12) & 63];
        out += kAlphabet[(n >> 6) & 63];
    }
    return out;
}

} // namespace

std::string Base64URL::encode(const Bytes& bytes) {
    return encodeRange(bytes.data(), bytes.size());
}

std::string Base64URL::encode(std::string_view bytes) {
    return encodeRange(bytes.data(), bytes.size());
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
    for (char c : body) {
        if (valueOf(c) < 0)
            return std::nullopt;
    }

    Bytes out;
    out.reserve(body.size() * 3 / 4);
    std::uint32_t accumulator = 0;
    int bits = 0;
    for (char c : body) {
        accumulator = (accumulator << 6) | static_cast<std::uint32_t>(valueOf(c));
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>((accumulator >> bits) & 0xFF));
        }
    }
    return out;
}

} // namespace velto
