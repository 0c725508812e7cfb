// Enrollment from links and codes.
#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"
#include "VeltoDevice/Enrollment/EnrollmentClient.hpp"
#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Enrollment/EnrollmentRequest.hpp"
#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <boost/url/parse.hpp>

#include <exception>

namespace velto {

void AppModel::propose(boost::urls::url_view url) {
    assertOnMainThread();
    if (enrollmentInFlight_.isSpending())
        return;
    std::optional<EnrollmentLink> link;
    try {
        link = EnrollmentLink::fromURL(url);
    } catch (const std::exception& error) {
        setPrompt(EnrollmentPrompt::failed(error.what()));
        presentEnrollmentPrompt_();
        return;
    }
    propose(*link);
}

void AppModel::propose(std::string_view linkText) {
    auto parsed = boost::urls::parse_uri(linkText);
    if (!parsed) {
        if (enrollmentInFlight_.isSpending())
            return;
        setPrompt(EnrollmentPrompt::failed(EnrollmentError::invalidLink().description()));
        presentEnrollmentPrompt_();
        return;
    }
    propose(*parsed);
}

void AppModel::propose(const EnrollmentLink& link) {
    assertOnMainThread();
    if (enrollmentInFlight_.isSpending())
        return;
    enrollmentForm_->fill(link);
    setPrompt(EnrollmentPrompt::confirming(EnrollmentGate(link)));
    presentEnrollmentPrompt_();
}

boost::asio::awaitable<void> AppModel::confirmEnrollment() {
    assertOnMainThread();
    if (!enrollmentPrompt_)
        co_return;
    const auto* confirming = enrollmentPrompt_->as<EnrollmentPrompt::Confirming>();
    if (!confirming || confirming->gate.step() != EnrollmentGate::Step::reviewing)
        co_return;
    auto gate = confirming->gate;
    auto decision = gate.confirm();
    if (decision.kind() != EnrollmentGate::Decision::Case::enroll)
        co_return;
    co_await spend(*decision.approved());
}

void AppModel::promptClosed() {
    assertOnMainThread();
    if (!enrollmentInFlight_.isSpending())
        setPrompt(std::nullopt);
}

boost::asio::awaitable<void> AppModel::spend(ApprovedEnrollment approved) {
    assertOnMainThread();
    if (!enrollmentInFlight_.begin(approved))
        co_return;
    Q_EMIT enrollmentInFlightChanged();
    setPrompt(EnrollmentPrompt::enrolling(approved.proposal));

    std::exception_ptr stopped;
    std::optional<EnrollmentResults> results;
    try {
        auto spending = approved.spendEach([this](ApprovedCode code) { return join(std::move(code)); });
        results = co_await std::move(spending);
    } catch (...) {
        stopped = std::current_exception();
    }
    if (results) {
        if (!results->joined.empty()) {
            enrollmentForm_->setCode(std::string());
            enrollmentForm_->setError(std::nullopt);
            setProblem(std::nullopt);
            setPrompt(EnrollmentPrompt::joined(*results));
        } else {
            setPrompt(EnrollmentPrompt::failed(
                results->refusalSummary().value_or(EnrollmentError::codeRejected().description())));
        }
        presentEnrollmentPrompt_();
    }
    enrollmentInFlight_.finish();
    Q_EMIT enrollmentInFlightChanged();
    if (stopped)
        std::rethrow_exception(stopped);
}

boost::asio::awaitable<JoinedOrganization> AppModel::join(ApprovedCode code) {
    assertOnMainThread();
    auto [enrollment, key] = co_await enroll(std::move(code));
    std::optional<Enrollment> replaced;
    if (savedEnrollments_) {
        auto saving =
            savedEnrollments_->run([enrollment = enrollment, data = key->dataRepresentation()](
                                       SavedEnrollments& saved) { return saved.add(enrollment, data); });
        replaced = co_await std::move(saving);
    }
    addAndConnect(enrollment, key);
    co_return JoinedOrganization{enrollment, replaced};
}

boost::asio::awaitable<std::pair<Enrollment, std::shared_ptr<SecureEnclaveDeviceKey>>>
AppModel::enroll(ApprovedCode code) {
    assertOnMainThread();
    if (harnesses_->statuses().empty())
        co_await harnesses_->refresh();
    auto key = std::make_shared<SecureEnclaveDeviceKey>(keyStore_->makeKey());
    DeviceIdentity identity(code.server, key, services_->makeTransport());
    auto names = services_->machineNaming();
    auto naming = runBlocking(services_->blockingExecutor(), [names] { return names->machineName(); });
    auto name = co_await std::move(naming);
    auto reports = HarnessStatus::reports(harnesses_->statuses());
    EnrollmentRequest request(code, std::move(name), environment_.appVersion, std::move(reports));
    EnrollmentClient client{code.server, identity.http};
    auto enrolling = client.enroll(std::move(request));
    auto enrollment = co_await runOn(device_, std::move(enrolling));
    co_return std::make_pair(std::move(enrollment), std::move(key));
}

} // namespace velto
