#include "VeltoDevice/Support/RepairedUTF8.hpp"

#include <cstdint>
#include <cstring>

namespace velto {

namespace {

/// The length of the well-formed sequence at `i`, or 0 when an ill-formed subpart starts there; for
/// that, `subpart` is set to its length (one U+FFFD replaces it).
std::size_t sequenceAt(std::string_view bytes, std::size_t i, std::size_t& subpart) {
    auto at = [&](std::size_t index) { return static_cast<std::uint8_t>(bytes[index]); };
    std::uint8_t lead = at(i);
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
    while (valid > 0 && valid < length && i + valid < bytes.size()) {
        std::uint8_t next = at(i + valid);
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

/// How many bytes from `i` on are well-formed UTF-8; ASCII is skipped 32 bytes at a time, since
/// tool output is mostly ASCII and can be megabytes long.
std::size_t wellFormedFrom(std::string_view bytes, std::size_t i) {
    const std::size_t start = i;
    constexpr std::size_t stride = 32;
    while (i < bytes.size()) {
        if (i + stride <= bytes.size()) {
            std::uint64_t words[stride / 8];
            std::memcpy(words, bytes.data() + i, stride);
            if (((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080ull) == 0) {
                i += stride;
                continue;
            }
        }
        std::size_t subpart = 0;
        std::size_t length = sequenceAt(bytes, i, subpart);
        if (length == 0)
            break;
        i += length;
    }
    return i - start;
}

} // namespace

std::string repairedUTF8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t good = wellFormedFrom(bytes, i);
        out.append(bytes.substr(i, good));
        i += good;
        if (i == bytes.size())
            break;
        std::size_t subpart = 0;
        sequenceAt(bytes, i, subpart);
        out.append("\xEF\xBF\xBD");
        i += subpart;
    }
    return out;
}

std::string repairedUTF8(std::string&& bytes) {
    if (wellFormedFrom(bytes, 0) == bytes.size())
        return std::move(bytes);
    return repairedUTF8(std::string_view(bytes));
}

} // namespace velto
