#include "VeltoDevice/HTTP/HTTPReply.hpp"

#include "VeltoDevice/HTTP/ErrorBody.hpp"
#include "VeltoDevice/HTTP/HTTPRequest.hpp"
#include "VeltoDevice/Support/Ascii.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <algorithm>
#include <cctype>

namespace velto {

HTTPReply::HTTPReply(int code, const std::vector<std::pair<std::string, std::string>>& fields, Bytes content)
    : status(code), body(std::move(content)) {
    for (const auto& [name, value] : fields) {
        // A field sent more than once reads as one, its values joined in order (RFC 9110 §5.3): a
        // challenge may come in two "WWW-Authenticate" fields, and the second must not be lost.
        auto [field, added] = headers.try_emplace(asciiLowercased(name), value);
        if (!added)
            field->second.append(", ").append(value);
    }
}

std::optional<std::string> HTTPReply::header(const std::string& name) const {
    auto it = headers.find(asciiLowercased(name));
    if (it == headers.end())
        return std::nullopt;
    return it->second;
}

bool HTTPReply::isNonceChallenge() const {
    if (status != 401)
        return false;
    if (auto errorBody = ErrorBody::decode(body)) {
        auto meaning = errorBody->meaning();
        if (meaning == "DEVICES_USE_DPOP_NONCE" || meaning == "use_dpop_nonce")
            return true;
    }
    return header("www-authenticate").value_or("").find("use_dpop_nonce") != std::string::npos;
}

std::optional<ErrorBody> ErrorBody::decode(const Bytes& body) {
    auto value = parseJson(body);
    if (!value || !value->is_object())
        return std::nullopt;
    // Absent or null is no value; any other type is a body of another shape.
    for (const char* key : {"code", "error"}) {
        if (json::has(*value, key) && !json::isNull(*value, key) && !json::string(*value, key))
            return std::nullopt;
    }
    return ErrorBody{json::string(*value, "code"), json::string(*value, "error")};
}

void HTTPRequest::setHeader(const std::string& name, std::string value) {
    for (auto& field : headers) {
        if (asciiLowercased(field.first) == asciiLowercased(name)) {
            field.second = std::move(value);
            return;
        }
    }
    headers.emplace_back(name, std::move(value));
}

std::optional<std::string> HTTPRequest::header(const std::string& name) const {
    for (const auto& field : headers) {
        if (asciiLowercased(field.first) == asciiLowercased(name))
            return field.second;
    }
    return std::nullopt;
}

} // namespace velto
