#pragma once

#include "VeltoDesktop/System/PreferencesDomain.hpp"
#include "VeltoDevice/Enrollment/EnrollmentLink.hpp"

#include <QObject>
#include <memory>
#include <optional>
#include <string>

namespace velto {

/// The server address and code the user typed or pasted. The address is remembered under
/// "lastServerAddress" at every assignment. Main thread only.
class EnrollmentForm final : public QObject {
    Q_OBJECT

public:
    explicit EnrollmentForm(std::shared_ptr<PreferencesDomain> preferences);

    const std::string& serverAddress() const { return serverAddress_; }
    void setServerAddress(std::string value);
    const std::string& code() const { return code_; }
    void setCode(std::string value);
    const std::optional<std::string>& error() const { return error_; }
    void setError(std::optional<std::string> value);

    /// A whole link pasted into the code field wins; otherwise the address and the code, each of
    /// which throws its own error (ServerError, then EnrollmentError::invalidCode). Clears `error`.
    EnrollmentLink link();
    /// The link's server as its absolute address; its code when it carries exactly one, else empty.
    void fill(const EnrollmentLink& link);

Q_SIGNALS:
    void serverAddressChanged();
    void codeChanged();
    void errorChanged();

private:
    std::shared_ptr<PreferencesDomain> preferences_;
    std::string serverAddress_;
    std::string code_;
    std::optional<std::string> error_;
};

} // namespace velto
