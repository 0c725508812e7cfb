#include "VeltoDevice/Support/UTF8.hpp"

#include <cstdint>
#include <cstring>

namespace velto::utf8 {

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

/// The length of the well-formed sequence that starts `text` (not empty), or 0 when an ill-formed
/// subpart starts there; for that, `subpart` is set to its length.
std::size_t sequenceAt(std::string_view text, std::size_t& subpart) {
    auto at = [&](std::size_t index) { return static_cast<std::uint8_t>(text[index]); };
    std::uint8_t lead = at(0);
    std::size_t length = 0;
    std::uint8_t low = 0x80, high = 0xBF; // the range of the second byte
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    }
    std::size_t valid = length == 0 ? 0 : 1;
    while (valid > 0 && valid < length && valid < text.size()) {
        std::uint8_t next = at(valid);
        bool inRange = valid == 1 ? (next >= low && next <= high) : (next >= 0x80 && next <= 0xBF);
        if (!inRange)
            break;
        ++valid;
    }
    if (length != 0 && valid == length)
        return length;
    subpart = valid == 0 ? 1 : valid;
    return 0;
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

std::size_t wellFormedLength(std::string_view text) {
    // ASCII is skipped 32 bytes at a time: tool output is mostly ASCII and can be megabytes long.
    constexpr std::size_t stride = 32;
    std::size_t i = 0;
    while (i < text.size()) {
        if (i + stride <= text.size()) {
            std::uint64_t words[stride / 8];
            std::memcpy(words, text.data() + i, stride);
            if (((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080ull) == 0) {
                i += stride;
                continue;
            }
        }
        std::size_t subpart = 0;
        std::size_t length = sequenceAt(text.substr(i), subpart);
        if (length == 0)
            break;
        i += length;
    }
    return i;
}

std::size_t illFormedLength(std::string_view text) {
    std::size_t subpart = 0;
    sequenceAt(text, subpart);
    return subpart;
}

bool isValid(std::string_view text) {
    return wellFormedLength(text) == text.size();
}

} // namespace velto::utf8
