#include "VeltoDevice/Support/LogEscaping.hpp"

#include "VeltoDevice/Support/UTF8.hpp"

#include <algorithm>

namespace velto {

namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";

bool isEscapedCodePoint(char32_t c) {
    return (c >= 0x80 && c <= 0x9F) ||     // C1 controls
           c == 0x061C ||                  // ARABIC LETTER MARK
           c == 0x200E || c == 0x200F ||   // LEFT-TO-RIGHT and RIGHT-TO-LEFT MARK
           c == 0x2028 || c == 0x2029 ||   // LINE and PARAGRAPH SEPARATOR
           (c >= 0x202A && c <= 0x202E) || // embeddings and overrides
           (c >= 0x2066 && c <= 0x2069);   // isolates
}

void appendByteEscape(std::string& out, unsigned char byte) {
    out.append("\\x");
    out.push_back(hexDigits[byte >> 4]);
    out.push_back(hexDigits[byte & 0x0F]);
}

void appendCodePointEscape(std::string& out, char32_t c) {
    out.append("\\u{");
    for (int shift = 12; shift >= 0; shift -= 4)
        out.push_back(hexDigits[(c >> shift) & 0x0F]);
    out.push_back('}');
}

/// Appends the ASCII byte `c`, escaped where it is a control or the escape character itself.
void appendAscii(std::string& out, unsigned char c) {
    switch (c) {
    case '\n':
        out.append("\\n");
        return;
    case '\r':
        out.append("\\r");
        return;
    case '\t':
        out.append("\\t");
        return;
    case '\\':
        out.append("\\\\");
        return;
    default:
        break;
    }
    if (c < 0x20 || c == 0x7F)
        appendByteEscape(out, c);
    else
        out.push_back(static_cast<char>(c));
}

} // namespace

std::string escapedForLog(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        auto lead = static_cast<unsigned char>(text.front());
        if (lead < 0x80) {
            appendAscii(out, lead);
            text.remove_prefix(1);
            continue;
        }
        std::size_t length = std::min(utf8::leadingLength(text), text.size());
        auto c = utf8::decodeOne(text.substr(0, length));
        if (!c) {
            // One byte at a time: the next may start a well-formed sequence.
            appendByteEscape(out, lead);
            text.remove_prefix(1);
            continue;
        }
        if (isEscapedCodePoint(*c))
            appendCodePointEscape(out, *c);
        else
            out.append(text.substr(0, length));
        text.remove_prefix(length);
    }
    return out;
}

} // namespace velto
