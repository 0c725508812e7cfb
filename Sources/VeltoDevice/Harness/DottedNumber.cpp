#include "VeltoDevice/Harness/DottedNumber.hpp"

namespace velto {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isSuffixCharacter(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.';
}

std::size_t endOfDigits(std::string_view text, std::size_t at) {
    while (at < text.size() && isDigit(text[at]))
        ++at;
    return at;
}

} // namespace

std::optional<std::string_view> DottedNumber::first(std::string_view text, int minimumGroups,
                                                    int maximumGroups, bool prereleaseSuffix) {
    // A match can only start where a run of digits starts: from inside a run the scan meets the
    // same dot after it and fails or succeeds alike, further right. Each attempt looks at no more
    // than minimumGroups + 1 runs before it fails, so the scan stays linear.
    for (std::size_t start = 0; start < text.size(); ++start) {
        if (!isDigit(text[start]) || (start > 0 && isDigit(text[start - 1])))
            continue;
        std::size_t end = endOfDigits(text, start);
        int groups = 0;
        while (groups < maximumGroups && end + 1 < text.size() && text[end] == '.' &&
               isDigit(text[end + 1])) {
            end = endOfDigits(text, end + 1);
            ++groups;
        }
        if (groups < minimumGroups)
            continue;
        if (prereleaseSuffix && end + 1 < text.size() && text[end] == '-' &&
            isSuffixCharacter(text[end + 1])) {
            end += 1;
            while (end < text.size() && isSuffixCharacter(text[end]))
                ++end;
        }
        return text.substr(start, end - start);
    }
    return std::nullopt;
}

} // namespace velto
