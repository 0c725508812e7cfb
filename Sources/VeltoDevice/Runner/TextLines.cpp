#include "VeltoDevice/Runner/TextLines.hpp"

namespace velto {

namespace {

/// The length of the line break at `at`, or 0 when none starts there.
std::size_t breakLength(std::string_view text, std::size_t at) {
    switch (text[at]) {
    case '\n':
    case '\v':
    case '\f':
        return 1;
    case '\r':
        return at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
    default:
        break;
    }
    auto rest = text.substr(at);
    if (rest.starts_with("\xC2\x85"))
        return 2;
    if (rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9"))
        return 3;
    return 0;
}

} // namespace

std::vector<std::string_view> nonEmptyLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t length = breakLength(text, at);
        if (length == 0) {
            ++at;
            continue;
        }
        if (at > start)
            lines.push_back(text.substr(start, at - start));
        at += length;
        start = at;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

} // namespace velto
