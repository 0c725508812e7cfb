#include "VeltoDevice/DPoP/JWKThumbprint.hpp"

#include "VeltoDevice/Support/Base64URL.hpp"

#include <openssl/evp.h>

#include <stdexcept>

namespace velto {

namespace {

void appendEscaped(std::string& out, const std::string& text) {
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
}

} // namespace

std::string JWKThumbprint::canonicalJSON(const std::map<std::string, std::string>& members) {
    // std::map orders by byte value, which for UTF-8 is code point order.
    std::string out = "{";
    bool first = true;
    for (const auto& [name, value] : members) {
        if (!first)
            out += ',';
        first = false;
        out += '"';
        appendEscaped(out, name);
        out += "\":\"";
        appendEscaped(out, value);
        out += '"';
    }
    out += '}';
    return out;
}

std::string JWKThumbprint::compute(const std::map<std::string, std::string>& requiredMembers) {
    std::string json = canonicalJSON(requiredMembers);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(json.data(), json.size(), digest, &length, EVP_sha256(), nullptr) != 1) {
        throw std::runtime_error("OpenSSL could not compute SHA-256");
    }
    return Base64URL::encode(Bytes(digest, digest + length));
}

} // namespace velto
