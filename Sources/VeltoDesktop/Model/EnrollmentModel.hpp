#pragma once

#include "VeltoDesktop/Model/AppServiceFactory.hpp"
#include "VeltoDesktop/Model/EnrollmentForm.hpp"
#include "VeltoDesktop/Model/EnrollmentPrompt.hpp"
#include "VeltoDesktop/Model/HarnessesModel.hpp"
#include "VeltoDesktop/Model/OrganizationsModel.hpp"
#include "VeltoDevice/Enrollment/ApprovedEnrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentInFlight.hpp"
#include "VeltoDevice/Keys/SecureEnclaveKeyStore.hpp"

#include <boost/asio/awaitable.hpp>
#include <boost/url/url_view.hpp>

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace velto {

/// Enrolling from links and codes: the form, the prompt that reviews a proposal and shows how its
/// spending went, and the one proposal being spent. Each joined organization is adopted by the
/// organizations. Main thread.
class EnrollmentModel final : public QObject {
    Q_OBJECT

public:
    using Hook = std::function<void()>;

    struct Dependencies {
        std::shared_ptr<AppServiceFactory> services;
        std::shared_ptr<SecureEnclaveKeyStore> keyStore;
        std::string appVersion;
        OrganizationsModel& organizations;
        HarnessesModel& harnesses;
    };

    explicit EnrollmentModel(Dependencies dependencies);

    EnrollmentForm& form() const { return *form_; }
    const std::optional<EnrollmentPrompt>& prompt() const { return prompt_; }
    const EnrollmentInFlight& inFlight() const { return inFlight_; }
    /// What shows the prompt's window; nothing until the delegate fills it.
    void setPresentPrompt(Hook hook) { presentPrompt_ = std::move(hook); }

    void propose(boost::urls::url_view url);
    /// A link argument as text (from the command line or another instance).
    void propose(std::string_view linkText);
    void propose(const EnrollmentLink& link);
    /// Spends the reviewed proposal's codes.
    boost::asio::awaitable<void> confirm();
    /// The prompt window closed: the prompt goes unless a proposal is being spent.
    void promptClosed();

Q_SIGNALS:
    void promptChanged();
    void inFlightChanged();

private:
    void setPrompt(std::optional<EnrollmentPrompt> prompt);
    boost::asio::awaitable<void> spend(ApprovedEnrollment approved);
    boost::asio::awaitable<JoinedOrganization> join(ApprovedCode code);
    boost::asio::awaitable<std::pair<Enrollment, std::shared_ptr<SecureEnclaveDeviceKey>>>
    enroll(ApprovedCode code);

    Dependencies dependencies_;
    std::unique_ptr<EnrollmentForm> form_;
    std::optional<EnrollmentPrompt> prompt_;
    EnrollmentInFlight inFlight_;
    Hook presentPrompt_ = [] {};
};

} // namespace velto
