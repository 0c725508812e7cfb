#include "VeltoDevice/Harness/HarnessVersion.hpp"

#include "VeltoDevice/Harness/DottedNumber.hpp"

#include <limits>

namespace velto {

std::optional<std::string> HarnessVersion::number(const std::optional<std::string>& text) {
    if (!text)
        return std::nullopt;
    if (auto number = DottedNumber::first(*text, 1, std::numeric_limits<int>::max(), false))
        return std::string(*number);
    return text;
}

} // namespace velto
