#pragma once

#include <map>
#include <string>

namespace velto {

/// RFC 7638 thumbprints of a JSON Web Key's required members.
struct JWKThumbprint {
    /// The members sorted by name, written as {"name":"value",...} with no spaces; names and values
    /// escape only the backslash (doubled first) and the double quote.
    static std::string canonicalJSON(const std::map<std::string, std::string>& members);
    /// Unpadded base64url of the SHA-256 of the canonical JSON: 43 characters.
    static std::string compute(const std::map<std::string, std::string>& requiredMembers);
};

} // namespace velto
