#include "VeltoDesktop/Model/EnrollmentForm.hpp"

#include "VeltoDevice/Enrollment/EnrollmentCode.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"

namespace velto {

namespace {

constexpr std::string_view lastServerKey = "lastServerAddress";

} // namespace

EnrollmentForm::EnrollmentForm(std::shared_ptr<PreferencesDomain> preferences)
    : preferences_(std::move(preferences)),
      serverAddress_(preferences_->text(lastServerKey).value_or(std::string())) {}

void EnrollmentForm::setServerAddress(std::string value) {
    const bool changed = value != serverAddress_;
    serverAddress_ = std::move(value);
    preferences_->set(lastServerKey, serverAddress_);
    if (changed)
        Q_EMIT serverAddressChanged();
}

void EnrollmentForm::setCode(std::string value) {
    if (value == code_)
        return;
    code_ = std::move(value);
    Q_EMIT codeChanged();
}

void EnrollmentForm::setError(std::optional<std::string> value) {
    if (value == error_)
        return;
    error_ = std::move(value);
    Q_EMIT errorChanged();
}

EnrollmentLink EnrollmentForm::link() {
    setError(std::nullopt);
    if (auto pasted = EnrollmentLink::parse(code_))
        return std::move(*pasted);
    auto server = VeltoServer::fromAddress(serverAddress_);
    auto code = EnrollmentCode::fromTyped(code_);
    return EnrollmentLink(std::move(server), std::move(code));
}

void EnrollmentForm::fill(const EnrollmentLink& link) {
    setServerAddress(std::string(link.server().baseURL().buffer()));
    setCode(link.codes().size() == 1 ? link.codes().front().value() : std::string());
}

} // namespace velto
