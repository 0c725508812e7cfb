#include "VeltoDevice/Support/UTF8.hpp"

#include <algorithm>

namespace velto::utf8 {

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

} // namespace

std::optional<char32_t> decodeOne(std::string_view bytes) {
    if (bytes.empty())
        return std::nullopt;
    auto lead = static_cast<unsigned char>(bytes[0]);
    std::size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        length = 1;
        value = lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (bytes.size() != length)
        return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        auto byte = static_cast<unsigned char>(bytes[i]);
        if (!isContinuation(byte))
            return std::nullopt;
        value = (value << 6) | (byte & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return std::nullopt;
    return value;
}

std::size_t leadingLength(std::string_view text) {
    auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    return 4;
}

std::size_t trailingLength(std::string_view text) {
    std::size_t length = 1;
    while (length < 4 && length < text.size() &&
           isContinuation(static_cast<unsigned char>(text[text.size() - length])))
        ++length;
    return length;
}

bool isValid(std::string_view text) {
    while (!text.empty()) {
        std::size_t length = std::min(leadingLength(text), text.size());
        if (!decodeOne(text.substr(0, length)))
            return false;
        text.remove_prefix(length);
    }
    return true;
}

} // namespace velto::utf8
