#include "VeltoDevice/Server/ConnectionError.hpp"

namespace velto {

namespace {

std::string describe(ConnectionError::Case kind, const std::string& text, int code) {
    using Case = ConnectionError::Case;
    switch (kind) {
    case Case::upgradeRefused:
        return "Velto refused the connection's proof (" + text + ").";
    case Case::closedByServer:
        return "Velto closed the connection (" + std::to_string(code) + ").";
    case Case::dropped:
        return "The connection to Velto dropped: " + text;
    case Case::revoked:
        return "Velto no longer accepts this computer. It may have been revoked in Devices; enroll it again.";
    case Case::replaced:
        return "Another Velto app took over this computer's connection.";
    case Case::renewalMissed:
        return "Velto closed the connection because this computer renewed it too late.";
    case Case::welcomeTimedOut:
        return "Velto did not answer this computer's hello.";
    case Case::renewalUnanswered:
        return "Velto stopped answering this computer's renewals.";
    }
    return {};
}

} // namespace

ConnectionError::ConnectionError(Case kind, std::string text, int code)
    : Error(describe(kind, text, code)), kind_(kind), text_(std::move(text)), code_(code) {}

ConnectionError ConnectionError::upgradeRefused(std::string reason) {
    return {Case::upgradeRefused, std::move(reason), 0};
}
ConnectionError ConnectionError::closedByServer(int code) {
    return {Case::closedByServer, {}, code};
}
ConnectionError ConnectionError::dropped(std::string explanation) {
    return {Case::dropped, std::move(explanation), 0};
}
ConnectionError ConnectionError::revoked() {
    return {Case::revoked, {}, 0};
}
ConnectionError ConnectionError::replaced() {
    return {Case::replaced, {}, 0};
}
ConnectionError ConnectionError::renewalMissed() {
    return {Case::renewalMissed, {}, 0};
}
ConnectionError ConnectionError::welcomeTimedOut() {
    return {Case::welcomeTimedOut, {}, 0};
}
ConnectionError ConnectionError::renewalUnanswered() {
    return {Case::renewalUnanswered, {}, 0};
}

ConnectionError ConnectionError::forClose(int code) {
    switch (code) {
    case 4001:
        return replaced();
    case 4003:
        return revoked();
    case 4408:
        return renewalMissed();
    default:
        return closedByServer(code);
    }
}

ConnectionError ConnectionError::forRefusedUpgrade(int status,
                                                   const std::optional<std::string>& authenticate) {
    if (status != 401)
        return dropped("HTTP " + std::to_string(status));
    const std::string header = authenticate.value_or("");
    if (header.find("use_dpop_nonce") != std::string::npos)
        return upgradeRefused("use_dpop_nonce");
    if (header.find("invalid_dpop_proof") != std::string::npos)
        return upgradeRefused("invalid_dpop_proof");
    return revoked();
}

} // namespace velto
