#pragma once

#include "VeltoDevice/Support/Error.hpp"

#include <string>

namespace velto {

/// A failure of the server address or of an HTTP request to the server.
class ServerError : public Error {
public:
    enum class Case {
        invalidAddress,
        insecureAddress,
        unreachable,
        unexpectedStatus,
        missingNonce,
        malformedResponse
    };

    static ServerError invalidAddress(std::string text);
    static ServerError insecureAddress(std::string url);
    static ServerError unreachable(std::string description);
    static ServerError unexpectedStatus(int status);
    static ServerError missingNonce();
    static ServerError malformedResponse();

    Case kind() const { return kind_; }
    /// The text payload of invalidAddress, insecureAddress and unreachable.
    const std::string& text() const { return text_; }
    /// The status of unexpectedStatus.
    int status() const { return status_; }

    friend bool operator==(const ServerError& a, const ServerError& b) {
        return a.kind_ == b.kind_ && a.text_ == b.text_ && a.status_ == b.status_;
    }

private:
    ServerError(Case kind, std::string text, int status);

    Case kind_;
    std::string text_;
    int status_ = 0;
};

} // namespace velto
