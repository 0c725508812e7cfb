// Enrollment from links and codes.
#include "VeltoDesktop/Model/EnrollmentModel.hpp"

#include "VeltoDesktop/Model/AssignNotifying.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"
#include "VeltoDevice/Enrollment/EnrollmentClient.hpp"
#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Enrollment/EnrollmentRequest.hpp"
#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <boost/url/parse.hpp>

#include <exception>

namespace velto {

EnrollmentModel::EnrollmentModel(Dependencies dependencies)
    : dependencies_(std::move(dependencies)),
      form_(std::make_unique<EnrollmentForm>(dependencies_.services->standardPreferences())) {}

void EnrollmentModel::setPrompt(std::optional<EnrollmentPrompt> prompt) {
    assignNotifying(*this, prompt_, std::move(prompt), &EnrollmentModel::promptChanged);
}

void EnrollmentModel::propose(boost::urls::url_view url) {
    assertOnMainThread();
    if (inFlight_.isSpending())
        return;
    std::optional<EnrollmentLink> link;
    try {
        link = EnrollmentLink::fromURL(url);
    } catch (const std::exception& error) {
        setPrompt(EnrollmentPrompt::failed(error.what()));
        presentPrompt_();
        return;
    }
    propose(*link);
}

void EnrollmentModel::propose(std::string_view linkText) {
    auto parsed = boost::urls::parse_uri(linkText);
    if (!parsed) {
        if (inFlight_.isSpending())
            return;
        setPrompt(EnrollmentPrompt::failed(EnrollmentError::invalidLink().description()));
        presentPrompt_();
        return;
    }
    propose(*parsed);
}

void EnrollmentModel::propose(const EnrollmentLink& link) {
    assertOnMainThread();
    if (inFlight_.isSpending())
        return;
    form_->fill(link);
    setPrompt(EnrollmentPrompt::confirming(EnrollmentGate(link)));
    presentPrompt_();
}

boost::asio::awaitable<void> EnrollmentModel::confirm() {
    assertOnMainThread();
    if (!prompt_)
        co_return;
    const auto* confirming = prompt_->as<EnrollmentPrompt::Confirming>();
    if (!confirming || confirming->gate.step() != EnrollmentGate::Step::reviewing)
        co_return;
    auto gate = confirming->gate;
    auto decision = gate.confirm();
    if (decision.kind() != EnrollmentGate::Decision::Case::enroll)
        co_return;
    co_await spend(*decision.approved());
}

void EnrollmentModel::promptClosed() {
    assertOnMainThread();
    if (!inFlight_.isSpending())
        setPrompt(std::nullopt);
}

boost::asio::awaitable<void> EnrollmentModel::spend(ApprovedEnrollment approved) {
    assertOnMainThread();
    if (!inFlight_.begin(approved))
        co_return;
    Q_EMIT inFlightChanged();
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
            form_->setCode(std::string());
            form_->setError(std::nullopt);
            dependencies_.organizations.clearProblem();
            setPrompt(EnrollmentPrompt::joined(*results));
        } else {
            setPrompt(EnrollmentPrompt::failed(
                results->refusalSummary().value_or(EnrollmentError::codeRejected().description())));
        }
        presentPrompt_();
    }
    inFlight_.finish();
    Q_EMIT inFlightChanged();
    if (stopped)
        std::rethrow_exception(stopped);
}

boost::asio::awaitable<JoinedOrganization> EnrollmentModel::join(ApprovedCode code) {
    assertOnMainThread();
    auto [enrollment, key] = co_await enroll(std::move(code));
    auto adopting = dependencies_.organizations.adopt(enrollment, key);
    auto replaced = co_await std::move(adopting);
    co_return JoinedOrganization{enrollment, replaced};
}

boost::asio::awaitable<std::pair<Enrollment, std::shared_ptr<SecureEnclaveDeviceKey>>>
EnrollmentModel::enroll(ApprovedCode code) {
    assertOnMainThread();
    auto& harnesses = dependencies_.harnesses;
    if (harnesses.statuses().empty())
        co_await harnesses.refresh();
    const auto& services = dependencies_.services;
    auto key = std::make_shared<SecureEnclaveDeviceKey>(dependencies_.keyStore->makeKey());
    DeviceIdentity identity(code.server, key, services->makeTransport());
    auto names = services->machineNaming();
    auto naming = runBlocking(services->blockingExecutor(), [names] { return names->machineName(); });
    auto name = co_await std::move(naming);
    auto reports = HarnessStatus::reports(harnesses.statuses());
    EnrollmentRequest request(code, std::move(name), dependencies_.appVersion, std::move(reports));
    EnrollmentClient client{code.server, identity.http};
    auto enrolling = client.enroll(std::move(request));
    auto enrollment = co_await runOn(services->deviceExecutor(), std::move(enrolling));
    co_return std::make_pair(std::move(enrollment), std::move(key));
}

} // namespace velto
