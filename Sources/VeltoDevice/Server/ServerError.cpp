#include "VeltoDevice/Server/ServerError.hpp"

namespace velto {

namespace {

std::string describe(ServerError::Case kind, const std::string& text, int status) {
    switch (kind) {
    case ServerError::Case::invalidAddress:
        return text + " is not a Velto address.";
    case ServerError::Case::insecureAddress:
        return text + " is not https. Velto only talks to its server over https.";
    case ServerError::Case::unreachable:
        return "Velto could not be reached: " + text;
    case ServerError::Case::unexpectedStatus:
        return "Velto answered with HTTP " + std::to_string(status) + ".";
    case ServerError::Case::missingNonce:
        return "Velto did not issue a DPoP nonce.";
    case ServerError::Case::malformedResponse:
        return "Velto sent a response this app does not understand. It may need updating.";
    }
    return {};
}

} // namespace

ServerError::ServerError(Case kind, std::string text, int status)
    : Error(describe(kind, text, status)), kind_(kind), text_(std::move(text)), status_(status) {}

ServerError ServerError::invalidAddress(std::string text) {
    return {Case::invalidAddress, std::move(text), 0};
}
ServerError ServerError::insecureAddress(std::string url) {
    return {Case::insecureAddress, std::move(url), 0};
}
ServerError ServerError::unreachable(std::string description) {
    return {Case::unreachable, std::move(description), 0};
}
ServerError ServerError::unexpectedStatus(int status) {
    return {Case::unexpectedStatus, {}, status};
}
ServerError ServerError::missingNonce() {
    return {Case::missingNonce, {}, 0};
}
ServerError ServerError::malformedResponse() {
    return {Case::malformedResponse, {}, 0};
}

} // namespace velto
