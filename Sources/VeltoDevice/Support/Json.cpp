#include "VeltoDevice/Support/Json.hpp"

#include <cmath>

namespace velto {

std::string encodeCompact(const Json& value) {
    return value.dump();
}

std::string encodeCompactRepaired(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string encodePretty(const Json& value) {
    return value.dump(2);
}

namespace {

/// Whether the text's arrays and objects nest within the limit. Brackets inside strings do not count;
/// for text that is not JSON the answer only has to hold up to where the parser stops reading, and it
/// does, since both read strings the same way up to there.
bool nestsWithinLimit(std::string_view text) {
    std::size_t depth = 0;
    bool inString = false;
    bool escaped = false;
    for (char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maximumJsonNesting)
                return false;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return true;
}

} // namespace

std::optional<Json> parseJson(std::string_view text) {
    if (!nestsWithinLimit(text))
        return std::nullopt;
    Json value = Json::parse(text, nullptr, false);
    if (value.is_discarded())
        return std::nullopt;
    return value;
}

std::optional<Json> parseJson(const Bytes& bytes) {
    return parseJson(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

namespace json {

namespace {

const Json* member(const Json& object, std::string_view key) {
    if (!object.is_object())
        return nullptr;
    auto it = object.find(key);
    if (it == object.end())
        return nullptr;
    return &*it;
}

} // namespace

bool has(const Json& object, std::string_view key) {
    return member(object, key) != nullptr;
}

std::optional<std::string> string(const Json& object, std::string_view key) {
    const Json* value = member(object, key);
    if (value == nullptr || !value->is_string())
        return std::nullopt;
    return value->get<std::string>();
}

std::optional<std::int64_t> integer(const Json& object, std::string_view key) {
    const Json* value = member(object, key);
    if (value == nullptr)
        return std::nullopt;
    if (value->is_number_integer()) {
        if (value->is_number_unsigned() &&
            value->get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX)) {
            return std::nullopt;
        }
        return value->get<std::int64_t>();
    }
    if (value->is_number_float()) {
        double number = value->get<double>();
        // A whole number written with a fraction or exponent (2.0, 1e3) is still an integer.
        if (std::isfinite(number) && std::trunc(number) == number && std::fabs(number) < 9.2e18) {
            return static_cast<std::int64_t>(number);
        }
    }
    return std::nullopt;
}

std::optional<bool> boolean(const Json& object, std::string_view key) {
    const Json* value = member(object, key);
    if (value == nullptr || !value->is_boolean())
        return std::nullopt;
    return value->get<bool>();
}

bool isNull(const Json& object, std::string_view key) {
    const Json* value = member(object, key);
    return value != nullptr && value->is_null();
}

} // namespace json

} // namespace velto
