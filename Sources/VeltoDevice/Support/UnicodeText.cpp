#include "VeltoDevice/Support/UnicodeText.hpp"

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

std::optional<std::size_t> utf16Length(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(INT32_MAX))
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        return std::nullopt;
    return static_cast<std::size_t>(length);
}

} // namespace velto::unicode
