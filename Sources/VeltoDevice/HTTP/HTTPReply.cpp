#include "VeltoDevice/HTTP/HTTPReply.hpp"

#include "VeltoDevice/HTTP/ErrorBody.hpp"
#include "VeltoDevice/HTTP/HTTPRequest.hpp"
#include "VeltoDevice/Support/Ascii.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <algorithm>
#include <cctype>

namespace velto {

namespace {} // namespace

HTTPReply::HTTPReply(int code, const std::vector<std::pair<std::string, std::string>>& fields, Bytes content)
    : status(code), body(std::move(content)) {
    for (const auto& [name, value] : fields)
        headers.emplace(asciiLowercased(name), value);
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
