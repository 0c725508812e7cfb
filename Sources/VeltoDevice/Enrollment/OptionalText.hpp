#pragma once

#include "VeltoDevice/Support/Json.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace velto::member {

/// An optional text member as the records read it: `valid` is false when the member is neither
/// text, null nor missing (the record then does not decode); `value` is the text when there is one.
struct OptionalText {
    bool valid = true;
    std::optional<std::string> value;
};

inline OptionalText optionalText(const Json& object, std::string_view key) {
    if (!json::has(object, key) || json::isNull(object, key))
        return {};
    if (auto text = json::string(object, key))
        return {true, std::move(text)};
    return {false, std::nullopt};
}

} // namespace velto::member
