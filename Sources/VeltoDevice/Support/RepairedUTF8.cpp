#include "VeltoDevice/Support/RepairedUTF8.hpp"

#include <cstdint>

namespace velto {

std::string repairedUTF8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    auto at = [&](std::size_t index) { return static_cast<std::uint8_t>(bytes[index]); };
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::uint8_t lead = at(i);
        std::size_t length = 0;
        std::uint8_t low = 0x80, high = 0xBF; // the range of the second byte
        if (lead < 0x80) {
            out.push_back(static_cast<char>(lead));
            ++i;
            continue;
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
        if (length != 0 && valid == length) {
            out.append(bytes.substr(i, length));
            i += length;
        } else {
            out.append("\xEF\xBF\xBD");
            i += valid == 0 ? 1 : valid;
        }
    }
    return out;
}

} // namespace velto
