#pragma once

#include "VeltoDevice/Support/Json.hpp"

#include <stdexcept>
#include <string_view>

namespace velto::testing {

/// JSON written in a test; a text that does not parse is a fault of the test itself.
inline Json parsed(std::string_view text) {
    auto value = parseJson(text);
    if (!value)
        throw std::invalid_argument("test JSON does not parse");
    return *value;
}

} // namespace velto::testing
