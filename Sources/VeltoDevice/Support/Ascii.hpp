#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace velto {

/// ASCII lower case, as schemes, hosts and header names compare; other bytes stay as they are.
inline std::string asciiLowercased(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
    });
    return result;
}

} // namespace velto
