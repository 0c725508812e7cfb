#include "FakeSetupModel.hpp"

#include "VeltoDevice/Enrollment/EnrollmentCode.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"

#include <boost/asio/redirect_error.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <stdexcept>

namespace velto::testing {

namespace {

std::string joined(const std::vector<std::string_view>& names) {
    std::string text;
    for (auto name : names) {
        if (!text.empty())
            text += ",";
        text += name;
    }
    return text;
}

} // namespace

FakeSetupModel::FakeSetupModel(boost::asio::any_io_executor waits)
    : form(std::make_unique<EnrollmentForm>(
          std::make_shared<PreferencesDomain>(folder.path() / "setup.json"))),
      waits_(std::move(waits)) {}

FakeSetupModel::~FakeSetupModel() = default;

SetupFlow::Dependencies FakeSetupModel::flowDependencies(UrlOpening& opener,
                                                         boost::asio::any_io_executor main) {
    return {pair, federation, monitoring, commandLineTool, openAtLogin, *this, opener, std::move(main)};
}

boost::asio::awaitable<void> FakeSetupModel::park() {
    if (!holdsAwaits)
        co_return;
    auto timer =
        std::make_shared<boost::asio::steady_timer>(waits_, boost::asio::steady_timer::time_point::max());
    timers_.push_back(timer);
    boost::system::error_code ignored;
    co_await timer->async_wait(boost::asio::redirect_error(boost::asio::use_awaitable, ignored));
}

void FakeSetupModel::release() {
    holdsAwaits = false;
    auto timers = std::move(timers_);
    timers_.clear();
    for (auto& timer : timers)
        timer->cancel();
}

void FakeSetupModel::propose(const EnrollmentLink& link) {
    calls.push_back("propose " + std::string(link.server().baseURL().buffer()) + " " +
                    std::to_string(link.codes().size()));
    if (!spending)
        setPrompt(EnrollmentPrompt::confirming(EnrollmentGate(link)));
}

void FakeSetupModel::dismissPrompt() {
    calls.push_back("dismissPrompt");
    if (!spending)
        setPrompt(std::nullopt);
}

boost::asio::awaitable<void> FakeSetupModel::confirmEnrollment() {
    calls.push_back("confirmEnrollment");
    if (!prompt || !prompt->as<EnrollmentPrompt::Confirming>())
        co_return;
    auto proposal = prompt->as<EnrollmentPrompt::Confirming>()->gate.proposal();
    setSpending(true);
    setPrompt(EnrollmentPrompt::enrolling(proposal));
    co_await park();
    setSpending(false);
    if (joins.empty()) {
        setPrompt(EnrollmentPrompt::failed("Velto did not accept that code."));
        co_return;
    }
    EnrollmentResults results;
    for (const auto& enrollment : joins)
        results.joined.push_back({enrollment, std::nullopt});
    setEnrollments(joins);
    setPrompt(EnrollmentPrompt::joined(results));
}

void FakeSetupModel::setLendsSubscriptions(bool lends) {
    calls.push_back(std::string("setLendsSubscriptions ") + (lends ? "true" : "false"));
}

boost::asio::awaitable<void> FakeSetupModel::announceHello() {
    calls.push_back("announceHello");
    co_await park();
    calls.push_back("announced");
}

boost::asio::awaitable<void> FakeSetupModel::agreeEverywhere(std::set<DeviceScope> scopes) {
    std::vector<std::string_view> names;
    for (auto scope : scopes)
        names.push_back(rawValue(scope));
    calls.push_back("agreeEverywhere " + joined(names));
    co_await park();
    calls.push_back("agreed");
}

void FakeSetupModel::setMonitoredAgents(std::set<HarnessKind> agents) {
    std::vector<std::string_view> names;
    for (auto kind : agents)
        names.push_back(rawValue(kind));
    calls.push_back("setMonitoredAgents " + joined(names));
}

boost::asio::awaitable<void> FakeSetupModel::reconcileAgents() {
    calls.push_back("reconcileAgents");
    if (reconcileFailure)
        throw std::runtime_error(*reconcileFailure);
    co_return;
}

boost::asio::awaitable<CommandLineToolInstall> FakeSetupModel::installCommandLineTool() {
    calls.push_back("installCommandLineTool");
    installing = true;
    Q_EMIT commandLineTool.isInstallingCommandLineToolChanged();
    co_await park();
    installing = false;
    Q_EMIT commandLineTool.isInstallingCommandLineToolChanged();
    setCommandLineToolRefusal(installOutcome.kind == CommandLineToolInstall::Case::refused
                                  ? std::optional<std::string>(installOutcome.message)
                                  : std::nullopt);
    co_return installOutcome;
}

std::optional<LoginItemRefusal> FakeSetupModel::setOpensAtLogin(bool opensAtLogin) {
    calls.push_back(std::string("setOpensAtLogin ") + (opensAtLogin ? "true" : "false"));
    if (loginStateAfterChange)
        loginState = *loginStateAfterChange;
    return loginRefusal;
}

void FakeSetupModel::setHasFinishedSetup(bool finished) {
    calls.push_back(std::string("setHasFinishedSetup ") + (finished ? "true" : "false"));
}

void FakeSetupModel::setPrompt(std::optional<EnrollmentPrompt> value) {
    if (value == prompt)
        return;
    prompt = std::move(value);
    Q_EMIT pair.enrollmentPromptChanged();
}

void FakeSetupModel::setEnrollments(std::vector<Enrollment> value) {
    enrollmentList = std::move(value);
    Q_EMIT pair.organizationsChanged();
    Q_EMIT federation.organizationsChanged();
    Q_EMIT openAtLogin.organizationsChanged();
}

void FakeSetupModel::setHarnesses(std::vector<HarnessStatus> value, bool isDetecting) {
    harnessList = std::move(value);
    detecting = isDetecting;
    Q_EMIT federation.harnessesChanged();
    Q_EMIT monitoring.harnessesChanged();
    Q_EMIT monitoring.isDetectingHarnessesChanged();
}

void FakeSetupModel::setSpending(bool value) {
    if (value == spending)
        return;
    spending = value;
    Q_EMIT pair.enrollmentInFlightChanged();
}

void FakeSetupModel::setCommandLineToolRefusal(std::optional<std::string> value) {
    if (value == toolRefusal)
        return;
    toolRefusal = std::move(value);
    Q_EMIT commandLineTool.commandLineToolRefusalChanged();
}

Enrollment sampleEnrollment(const std::string& deviceId, const std::string& organization,
                            const std::string& login, std::optional<std::string> name) {
    return Enrollment{VeltoServer::fromAddress("https://velto.example"),
                      deviceId,
                      {"org-" + deviceId, organization, std::nullopt},
                      {login, std::move(name), std::nullopt, std::nullopt}};
}

EnrollmentLink sampleLink(const std::vector<std::string>& codes) {
    std::vector<EnrollmentCode> parsed;
    for (const auto& code : codes)
        parsed.push_back(EnrollmentCode::fromTyped(code));
    return EnrollmentLink::fromCodes(VeltoServer::fromAddress("https://velto.example"), parsed);
}

HarnessStatus installedHarness(HarnessKind kind, LoginState login) {
    return HarnessStatus::installed(kind, "/usr/bin/" + std::string(executableName(kind)), "1.0", login);
}

} // namespace velto::testing
