#pragma once

#include "VeltoDevice/Support/Bytes.hpp"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velto {

/// A server reply: status, body, and header fields with lower-cased names.
struct HTTPReply {
    int status = 0;
    Bytes body;
    std::map<std::string, std::string> headers;

    HTTPReply() = default;
    /// Lower-cases every name; the values of names equal after that are joined with ", " in order.
    HTTPReply(int code, const std::vector<std::pair<std::string, std::string>>& fields, Bytes content);

    std::optional<std::string> header(const std::string& name) const;
    bool isSuccess() const { return status >= 200 && status <= 299; }
    /// A 401 whose error body or "WWW-Authenticate" header asks for a DPoP nonce.
    bool isNonceChallenge() const;
};

} // namespace velto
