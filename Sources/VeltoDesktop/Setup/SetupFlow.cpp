#include "VeltoDesktop/Setup/SetupFlow.hpp"

#include "VeltoDesktop/Setup/ScopeAgreement.hpp"
#include "VeltoDesktop/Setup/SetupErrorText.hpp"
#include "VeltoDesktop/Views/UrlOpening.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"
#include "VeltoDevice/Support/Ascii.hpp"
#include "VeltoDevice/Support/UnicodeText.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/post.hpp>

#include <QPointer>
#include <algorithm>
#include <exception>

namespace velto {

namespace {

constexpr std::string_view secureScheme = "https://";

bool isSchemeCharacter(char c, bool isFirst) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (isFirst)
        return letter;
    return letter || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

/// Whether the text starts with a scheme (RFC 3986: a letter, then letters, digits, "+", "-", ".")
/// and "://".
bool startsWithScheme(std::string_view text) {
    std::size_t index = 0;
    while (index < text.size() && isSchemeCharacter(text[index], index == 0))
        ++index;
    return index > 0 && text.substr(index).substr(0, 3) == "://";
}

/// At most `SetupFlow::maximumFieldLength` characters, cut between characters.
std::string capped(std::string text) {
    if (text.size() <= static_cast<std::size_t>(SetupFlow::maximumFieldLength))
        return text;
    auto shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (shown.size() <= SetupFlow::maximumFieldLength)
        return text;
    shown.truncate(SetupFlow::maximumFieldLength);
    if (shown.back().isHighSurrogate())
        shown.chop(1);
    return shown.toStdString();
}

std::set<HarnessKind> installedKinds(const std::vector<HarnessStatus>& harnesses) {
    std::set<HarnessKind> kinds;
    for (const auto& harness : harnesses) {
        if (harness.installedTool())
            kinds.insert(harness.kind);
    }
    return kinds;
}

} // namespace

SetupFlow::SetupFlow(SetupModel& model, boost::asio::any_io_executor main, UrlOpening& opener,
                     QObject* parent)
    : QObject(parent), model_(model), main_(std::move(main)), opener_(opener) {
    // Only a leading scheme goes: the rest of the saved address stays as the user typed it.
    std::string saved = model_.enrollmentForm().serverAddress();
    if (asciiLowercased(std::string_view(saved).substr(0, secureScheme.size())) == secureScheme)
        saved.erase(0, secureScheme.size());
    address_ = capped(std::move(saved));

    model_.refreshLoginItem();
    model_.refreshCommandLineTool();
    const auto tool = model_.commandLineToolState();
    const bool offersTool = tool == CommandLineToolState::notInstalled || tool == CommandLineToolState::taken;
    for (auto step : allSetupSteps) {
        if (step == SetupStep::commandLineTool && !offersTool)
            continue;
        if (step == SetupStep::openAtLogin && model_.loginItemState() == LoginItemState::unavailable)
            continue;
        steps_.push_back(step);
    }

    auto& form = model_.enrollmentForm();
    connect(&form, &EnrollmentForm::codeChanged, this, &SetupFlow::codeChanged);
    connect(&form, &EnrollmentForm::errorChanged, this, &SetupFlow::codeErrorChanged);
    connect(&model_, &SetupModel::enrollmentPromptChanged, this, &SetupFlow::refreshStage);
    connect(&model_, &SetupModel::enrollmentInFlightChanged, this, &SetupFlow::refreshStage);
    connect(&model_, &SetupModel::organizationsChanged, this, [this] {
        refreshStage();
        Q_EMIT enrollmentsChanged();
    });
    connect(&model_, &SetupModel::harnessesChanged, this, [this] {
        Q_EMIT harnessesChanged();
        Q_EMIT agentRowsChanged();
        harnessesDetected();
    });
    connect(&model_, &SetupModel::isDetectingHarnessesChanged, this, &SetupFlow::harnessesDetected);
    connect(&model_, &SetupModel::commandLineToolRefusalChanged, this, &SetupFlow::commandLineNoticeChanged);
    connect(&model_, &SetupModel::isInstallingCommandLineToolChanged, this, &SetupFlow::refreshFooter);
    stage_ = PairStage::of(model_.enrollmentPrompt(), model_.enrollments(), isWaitingForBrowser_);
    footer_ = footer();
}

SetupFlow::~SetupFlow() = default;

std::string SetupFlow::withScheme(std::string_view text) {
    const auto trimmed = unicode::trimmingWhitespace(text);
    if (startsWithScheme(trimmed))
        return std::string(trimmed);
    return std::string(secureScheme) + std::string(trimmed);
}

void SetupFlow::setAddress(std::string address) {
    assign(address_, capped(std::move(address)), &SetupFlow::addressChanged);
}

void SetupFlow::setShowsCodeEntry(bool shows) {
    assign(showsCodeEntry_, shows, &SetupFlow::showsCodeEntryChanged);
}

void SetupFlow::setMonitors(HarnessKind kind, bool isOn) {
    hasTouchedAgents_ = true;
    auto agents = monitoredAgents_;
    if (isOn)
        agents.insert(kind);
    else
        agents.erase(kind);
    setMonitoredAgents(std::move(agents));
}

void SetupFlow::setMonitoredAgents(std::set<HarnessKind> agents) {
    assign(monitoredAgents_, std::move(agents), &SetupFlow::agentRowsChanged);
}

void SetupFlow::setAgreement(DeviceScope scope, bool isOn) {
    auto before = agreedScopes_;
    assign(agreedScopes_, ScopeAgreement::setting(agreedScopes_, scope, isOn),
           &SetupFlow::agreedScopesChanged);
    if (auto added = ScopeAgreement::firstAdded(before, agreedScopes_)) {
        const auto raw = rawValue(*added);
        Q_EMIT scopeAgreed(QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size())));
    }
}

void SetupFlow::setLoginItemAnswer(std::optional<LoginItemAnswer> answer) {
    assign(loginItemAnswer_, std::move(answer), &SetupFlow::loginItemAnswerChanged);
}

void SetupFlow::setStep(SetupStep step) {
    if (step == step_)
        return;
    step_ = step;
    Q_EMIT stepChanged();
    refreshFooter();
}

void SetupFlow::setBusy(bool busy) {
    if (busy == isBusy_)
        return;
    isBusy_ = busy;
    Q_EMIT isBusyChanged();
    refreshFooter();
}

PairStage SetupFlow::pairStage() const {
    return stage_;
}

void SetupFlow::refreshStage() {
    auto stage = PairStage::of(model_.enrollmentPrompt(), model_.enrollments(), isWaitingForBrowser_);
    if (stage != stage_) {
        stage_ = std::move(stage);
        Q_EMIT pairStageChanged();
    }
    refreshFooter();
}

void SetupFlow::refreshFooter() {
    auto shown = footer();
    if (shown == footer_)
        return;
    footer_ = std::move(shown);
    Q_EMIT footerChanged();
}

void SetupFlow::spawn(boost::asio::awaitable<void> task) {
    boost::asio::co_spawn(main_, std::move(task), [](std::exception_ptr) {});
}

std::optional<boost::urls::url> SetupFlow::pairingPage() {
    assign(addressError_, std::optional<std::string>(), &SetupFlow::addressErrorChanged);
    std::optional<VeltoServer> server;
    try {
        server = VeltoServer::fromAddress(withScheme(address_));
    } catch (const std::exception& error) {
        assign(addressError_, std::optional<std::string>(SetupErrorText::of(error)),
               &SetupFlow::addressErrorChanged);
        return std::nullopt;
    }
    model_.enrollmentForm().setServerAddress(std::string(server->baseURL().buffer()));
    return server->macPairingPage();
}

void SetupFlow::openPairingPage() {
    auto page = pairingPage();
    if (!page)
        return;
    // Only the latest request's answer counts: an earlier opener may answer after it.
    const auto request = ++pageRequests_;
    opener_.open(*page, [self = QPointer<SetupFlow>(this), request,
                         shown = std::string(page->buffer())](bool opened) mutable {
        if (self && request == self->pageRequests_)
            self->pageOpened(std::move(shown), opened);
    });
}

void SetupFlow::pageOpened(std::string page, bool opened) {
    if (!opened) {
        // The address is good but no browser took it: nothing to wait for, and the page is shown
        // for the user to open by hand.
        assign(unopenedPage_, std::optional<std::string>(std::move(page)), &SetupFlow::unopenedPageChanged);
        assign(isWaitingForBrowser_, false, &SetupFlow::isWaitingForBrowserChanged);
        refreshStage();
        return;
    }
    assign(unopenedPage_, std::optional<std::string>(), &SetupFlow::unopenedPageChanged);
    assign(isWaitingForBrowser_, true, &SetupFlow::isWaitingForBrowserChanged);
    refreshStage();
}

void SetupFlow::submitCode() {
    auto& form = model_.enrollmentForm();
    form.setServerAddress(withScheme(address_));
    std::optional<EnrollmentLink> link;
    try {
        link = form.link();
    } catch (const std::exception& error) {
        form.setError(SetupErrorText::ofCode(error, form.code()));
        return;
    }
    model_.propose(*link);
}

void SetupFlow::cancelPairing() {
    if (!model_.isSpending())
        model_.dismissPrompt();
    ++pageRequests_; // an opener that answers later no longer counts
    assign(isWaitingForBrowser_, false, &SetupFlow::isWaitingForBrowserChanged);
    assign(unopenedPage_, std::optional<std::string>(), &SetupFlow::unopenedPageChanged);
    refreshStage();
}

void SetupFlow::confirmPairing() {
    spawn(model_.confirmEnrollment());
}

boost::asio::awaitable<void> SetupFlow::chooseFederation(bool lends) {
    if (isBusy_)
        co_return;
    QPointer<SetupFlow> self(this);
    auto& model = model_;
    const auto began = step_;
    const auto scopes = agreedScopes_;
    setBusy(true);
    model.setLendsSubscriptions(lends);
    // Failures of the announcement and of the answers are the model's to report: setup goes on.
    try {
        auto announcing = model.announceHello();
        co_await std::move(announcing);
        if (lends) {
            auto agreeing = model.agreeEverywhere(scopes);
            co_await std::move(agreeing);
        }
    } catch (...) {
    }
    if (!self)
        co_return;
    setBusy(false);
    if (step_ == began)
        advance();
}

void SetupFlow::chooseMonitoring(bool on) {
    if (isBusy_)
        return;
    model_.setMonitoredAgents(on ? monitoredAgents_ : std::set<HarnessKind>());
    spawn(model_.reconcileAgents());
    finishStep();
}

boost::asio::awaitable<void> SetupFlow::chooseCommandLineTool(bool install) {
    if (isBusy_)
        co_return;
    if (!install) {
        finishStep();
        co_return;
    }
    QPointer<SetupFlow> self(this);
    auto& model = model_;
    const auto began = step_;
    setBusy(true);
    std::optional<CommandLineToolInstall> outcome;
    try {
        auto installing = model.installCommandLineTool();
        outcome = co_await std::move(installing);
    } catch (...) {
    }
    if (!self)
        co_return;
    setBusy(false);
    // A refused or cancelled install stays on the step, where the model's refusal shows.
    if (outcome && outcome->kind == CommandLineToolInstall::Case::installed && step_ == began &&
        step_ == SetupStep::commandLineTool)
        finishStep();
}

void SetupFlow::chooseOpenAtLogin(bool on) {
    if (isBusy_)
        return;
    auto refusal = model_.setOpensAtLogin(on);
    auto answer = LoginItemAnswer::of(on, refusal, model_.loginItemState());
    setLoginItemAnswer(answer);
    switch (answer.kind) {
    case LoginItemAnswer::Case::finished:
        finishStep();
        break;
    case LoginItemAnswer::Case::awaitingApproval:
        model_.openLoginItemSettings();
        break;
    case LoginItemAnswer::Case::notTurnedOn:
        break;
    }
}

void SetupFlow::finishStep() {
    if (isOnLastStep()) {
        model_.setHasFinishedSetup(true);
        finish_();
        return;
    }
    advance();
}

std::optional<SetupStep> SetupFlow::neighbour(SetupStep of, int offset) const {
    const auto found = std::find(steps_.begin(), steps_.end(), of);
    if (found == steps_.end())
        return std::nullopt;
    const auto index = (found - steps_.begin()) + offset;
    if (index < 0 || index >= static_cast<std::ptrdiff_t>(steps_.size()))
        return std::nullopt;
    return steps_[static_cast<std::size_t>(index)];
}

void SetupFlow::move(SetupStep target, bool isForward) {
    const auto move = ++moves_;
    if (isForward == isMovingForward_) {
        setStep(target);
        return;
    }
    // The direction reaches the views one turn before the step, so that both the leaving and the
    // coming step slide the new way; the queued step goes when another move came first.
    isMovingForward_ = isForward;
    Q_EMIT isMovingForwardChanged();
    QPointer<SetupFlow> self(this);
    boost::asio::post(main_, [self, move, target] {
        if (self && self->moves_ == move)
            self->setStep(target);
    });
}

void SetupFlow::offerInstalledAgents() {
    if (hasOfferedAgents_)
        return;
    hasOfferedAgents_ = true;
    if (model_.harnesses().empty()) {
        awaitsDetectedAgents_ = true;
        return;
    }
    setMonitoredAgents(installedKinds(model_.harnesses()));
}

void SetupFlow::harnessesDetected() {
    if (!awaitsDetectedAgents_ || model_.harnesses().empty() || model_.isDetectingHarnesses())
        return;
    awaitsDetectedAgents_ = false;
    if (!hasTouchedAgents_)
        setMonitoredAgents(installedKinds(model_.harnesses()));
}

void SetupFlow::advance() {
    auto next = neighbour(step_, +1);
    if (!next)
        return;
    if (*next == SetupStep::monitoring)
        offerInstalledAgents();
    move(*next, true);
}

void SetupFlow::goBack() {
    if (auto previous = neighbour(step_, -1))
        move(*previous, false);
}

void SetupFlow::pressPrimary() {
    press(true);
}

void SetupFlow::pressSecondary() {
    press(false);
}

void SetupFlow::press(bool isPrimary) {
    if (isBusy_)
        return;
    switch (step_) {
    case SetupStep::pair:
        if (isPrimary && stage_.kind() == PairStage::Case::paired)
            advance();
        break;
    case SetupStep::federation:
        spawn(chooseFederation(isPrimary));
        break;
    case SetupStep::monitoring:
        chooseMonitoring(isPrimary);
        break;
    case SetupStep::commandLineTool:
        if (!model_.isInstallingCommandLineTool())
            spawn(chooseCommandLineTool(isPrimary));
        break;
    case SetupStep::openAtLogin:
        chooseOpenAtLogin(isPrimary);
        break;
    }
}

void SetupFlow::pressBack() {
    if (isBusy_ || (step_ == SetupStep::commandLineTool && model_.isInstallingCommandLineTool()))
        return;
    goBack();
}

void SetupFlow::setScope(const QString& scope, bool isOn) {
    if (auto parsed = deviceScopeFromRawValue(scope.toStdString()))
        setAgreement(*parsed, isOn);
}

void SetupFlow::setAgent(const QString& kind, bool isOn) {
    if (auto parsed = harnessKindFromRawValue(kind.toStdString()))
        setMonitors(*parsed, isOn);
}

} // namespace velto
