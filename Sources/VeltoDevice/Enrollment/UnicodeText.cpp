#include "VeltoDevice/Enrollment/UnicodeText.hpp"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <cstdint>

namespace velto::unicode {

std::string_view trimmingWhitespace(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(INT32_MAX))
        return text;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());

    int32_t start = 0;
    while (start < length) {
        int32_t next = start;
        UChar32 symbol = 0;
        U8_NEXT(bytes, next, length, symbol);
        if (symbol < 0 || !u_isUWhiteSpace(symbol))
            break;
        start = next;
    }
    int32_t end = length;
    while (end > start) {
        int32_t previous = end;
        UChar32 symbol = 0;
// ICU's macro casts the C way.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
        U8_PREV(bytes, start, previous, symbol);
#pragma GCC diagnostic pop
        if (symbol < 0 || !u_isUWhiteSpace(symbol))
            break;
        end = previous;
    }
    return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

std::optional<std::u16string> upperCased(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(INT32_MAX / 4))
        return std::nullopt;
    const auto textLength = static_cast<int32_t>(text.size());

    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, text.data(), textLength, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        return std::nullopt;
    std::u16string source(static_cast<std::size_t>(length), u'\0');
    status = U_ZERO_ERROR;
    u_strFromUTF8(source.data(), length, &length, text.data(), textLength, &status);
    if (U_FAILURE(status))
        return std::nullopt;

    // Full case mapping may lengthen the text: ask ICU for the size first.
    status = U_ZERO_ERROR;
    int32_t upperLength = u_strToUpper(nullptr, 0, source.data(), length, "", &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        return std::nullopt;
    std::u16string upper(static_cast<std::size_t>(upperLength), u'\0');
    status = U_ZERO_ERROR;
    u_strToUpper(upper.data(), upperLength, source.data(), length, "", &status);
    if (U_FAILURE(status))
        return std::nullopt;
    return upper;
}

std::string repaired(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    auto byteAt = [&](std::size_t at) { return static_cast<std::uint8_t>(text[at]); };
    std::size_t i = 0;
    while (i < text.size()) {
        std::uint8_t lead = byteAt(i);
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
        while (valid > 0 && valid < length && i + valid < text.size()) {
            std::uint8_t next = byteAt(i + valid);
            bool inRange = valid == 1 ? (next >= low && next <= high) : (next >= 0x80 && next <= 0xBF);
            if (!inRange)
                break;
            ++valid;
        }
        if (length != 0 && valid == length) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out.append("\xEF\xBF\xBD");
            i += valid == 0 ? 1 : valid;
        }
    }
    return out;
}

} // namespace velto::unicode
