#pragma once

#include "VeltoDevice/Support/Error.hpp"

#include <optional>
#include <string>

namespace velto {

/// A failure of the device's WebSocket connection, with the mappings from what the socket reports.
class ConnectionError : public Error {
public:
    enum class Case {
        upgradeRefused,
        closedByServer,
        dropped,
        revoked,
        replaced,
        renewalMissed,
        welcomeTimedOut,
        renewalUnanswered
    };

    static ConnectionError upgradeRefused(std::string reason);
    static ConnectionError closedByServer(int code);
    static ConnectionError dropped(std::string explanation);
    static ConnectionError revoked();
    static ConnectionError replaced();
    static ConnectionError renewalMissed();
    static ConnectionError welcomeTimedOut();
    static ConnectionError renewalUnanswered();

    /// 4001 replaced, 4003 revoked, 4408 renewalMissed, any other code closedByServer.
    static ConnectionError forClose(int code);
    /// A refused upgrade's status and optional "WWW-Authenticate" value.
    static ConnectionError forRefusedUpgrade(int status, const std::optional<std::string>& authenticate);

    /// Revoked and replaced end reconnecting for good.
    bool isFinal() const { return kind_ == Case::revoked || kind_ == Case::replaced; }

    Case kind() const { return kind_; }
    /// The reason word of upgradeRefused, the explanation of dropped.
    const std::string& text() const { return text_; }
    /// The close code of closedByServer.
    int code() const { return code_; }

    friend bool operator==(const ConnectionError& a, const ConnectionError& b) {
        return a.kind_ == b.kind_ && a.text_ == b.text_ && a.code_ == b.code_;
    }

private:
    ConnectionError(Case kind, std::string text, int code);

    Case kind_;
    std::string text_;
    int code_ = 0;
};

} // namespace velto
