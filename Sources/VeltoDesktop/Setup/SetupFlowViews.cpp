// What the setup views read of the flow: every text made safe for display, every list as the rows the
// views lay out.
#include "VeltoDesktop/Setup/AgentIntegrationRow.hpp"
#include "VeltoDesktop/Setup/HarnessChip.hpp"
#include "VeltoDesktop/Setup/PairStepTexts.hpp"
#include "VeltoDesktop/Setup/ScopeConsentRow.hpp"
#include "VeltoDesktop/Setup/SetupFlow.hpp"
#include "VeltoDesktop/Setup/SetupFooterButtons.hpp"
#include "VeltoDesktop/Setup/SetupNames.hpp"
#include "VeltoDesktop/Setup/SetupNotice.hpp"
#include "VeltoDesktop/Setup/StepDots.hpp"
#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/DisplayText.hpp"
#include "VeltoDesktop/Views/Monogram.hpp"
#include "VeltoDesktop/Views/ProfileBadge.hpp"
#include "VeltoDesktop/Views/ServerAuthority.hpp"

namespace velto {

namespace {

QString text(std::string_view view) {
    return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

QString addressOf(const std::optional<boost::urls::url>& url) {
    return url ? text(url->buffer()) : QString();
}

QVariantMap notice(const std::optional<SetupNotice>& shown) {
    if (!shown)
        return {};
    return {{QStringLiteral("text"), shown->text}, {QStringLiteral("tint"), static_cast<int>(shown->tint)}};
}

} // namespace

QVariantList SetupFlow::stepValues() const {
    QVariantList values;
    for (auto step : steps_)
        values.push_back(rawValue(step));
    return values;
}

QString SetupFlow::addressErrorText() const {
    return addressError_ ? DisplayText::paragraph(*addressError_) : QString();
}

QString SetupFlow::unopenedPageText() const {
    // Our own URL of a validated server: ASCII, and copied as it stands.
    return unopenedPage_ ? QString::fromStdString(*unopenedPage_) : QString();
}

QString SetupFlow::codeText() const {
    return QString::fromStdString(model_.enrollmentForm().code());
}

void SetupFlow::setCodeText(const QString& code) {
    model_.enrollmentForm().setCode(code.left(maximumFieldLength).toStdString());
}

QString SetupFlow::codeErrorText() const {
    const auto& error = model_.enrollmentForm().error();
    return error ? DisplayText::paragraph(*error) : QString();
}

QString SetupFlow::pairStageName() const {
    return text(stage_.name());
}

QString SetupFlow::pairTitle() const {
    return PairStepTexts::title(stage_);
}

QString SetupFlow::pairMessage() const {
    return PairStepTexts::message(stage_);
}

QVariantMap SetupFlow::pairAvatar() const {
    const auto* paired = stage_.as<PairStage::Paired>();
    if (!paired || paired->enrollments.empty())
        return {};
    const ProfileBadge user(paired->enrollments.front().user);
    return {{QStringLiteral("address"), QString::fromStdString(user.avatarAddress)},
            {QStringLiteral("initial"), user.initial}};
}

QVariantMap SetupFlow::confirmation() const {
    const auto* confirming = stage_.as<PairStage::Confirming>();
    if (!confirming)
        return {};
    const auto& proposal = confirming->gate.proposal();
    const ServerAuthority server(proposal.link.server());
    QStringList codes;
    for (const auto& code : proposal.displayCodes())
        codes.push_back(QString::fromStdString(code));
    const auto count = static_cast<int>(proposal.organizationCount());
    const bool showsTiles = !codes.isEmpty() && count == 1;
    return {{QStringLiteral("authority"), server.authority},
            {QStringLiteral("address"), server.address},
            {QStringLiteral("cleartextNote"), server.cleartextNote.value_or(QString())},
            {QStringLiteral("showsTiles"), showsTiles},
            {QStringLiteral("tileCode"), showsTiles ? codes.front() : QString()},
            {QStringLiteral("countLine"), UserTexts::joinsOrganizations(count)},
            {QStringLiteral("codes"), codes}};
}

QVariantMap SetupFlow::firstEnrollment() const {
    const auto enrollments = model_.enrollments();
    if (enrollments.empty())
        return {{QStringLiteral("exists"), false},
                {QStringLiteral("organizationName"), UserTexts::yourOrganizationTitle()},
                {QStringLiteral("monogram"), QStringLiteral("V")},
                {QStringLiteral("userTitle"), UserTexts::you()}};
    const auto& first = enrollments.front();
    const ProfileBadge user(first.user);
    return {{QStringLiteral("exists"), true},
            {QStringLiteral("deviceId"), QString::fromStdString(first.deviceId)},
            {QStringLiteral("organizationName"), DisplayText::line(first.organization.name)},
            {QStringLiteral("organizationAddress"), addressOf(first.organization.avatarURL)},
            {QStringLiteral("monogram"), Monogram::of(first.organization.name).value_or(QStringLiteral("V"))},
            {QStringLiteral("userTitle"), user.name},
            {QStringLiteral("userAddress"), QString::fromStdString(user.avatarAddress)},
            {QStringLiteral("userInitial"), user.initial}};
}

QString SetupFlow::codeEntryToggle() const {
    return UserTexts::codeEntryToggle(showsCodeEntry_);
}

QString SetupFlow::federationMessage() const {
    return UserTexts::federationMessage(SetupNames::organizationsOrYours(model_.enrollments()));
}

QVariantList SetupFlow::scopeRows() const {
    QVariantList rows;
    for (const auto& row : ScopeConsentRow::rows(agreedScopes_)) {
        rows.push_back(QVariantMap{{QStringLiteral("scope"), text(rawValue(row.scope))},
                                   {QStringLiteral("title"), row.title},
                                   {QStringLiteral("consent"), row.consent},
                                   {QStringLiteral("isOn"), row.isOn},
                                   {QStringLiteral("isEnabled"), row.isEnabled}});
    }
    return rows;
}

QVariantList SetupFlow::harnessChips() const {
    QVariantList chips;
    for (const auto& chip : HarnessChip::chips(model_.harnesses())) {
        chips.push_back(QVariantMap{{QStringLiteral("kind"), text(rawValue(chip.kind))},
                                    {QStringLiteral("name"), chip.name},
                                    {QStringLiteral("isSignedIn"), chip.isSignedIn}});
    }
    return chips;
}

QVariantList SetupFlow::agentRows() const {
    QVariantList rows;
    for (const auto& row : AgentIntegrationRow::rows(model_.harnesses(), monitoredAgents_)) {
        rows.push_back(QVariantMap{{QStringLiteral("kind"), text(rawValue(row.kind))},
                                   {QStringLiteral("name"), row.name},
                                   {QStringLiteral("caption"), row.caption},
                                   {QStringLiteral("isInstalled"), row.isInstalled},
                                   {QStringLiteral("isOn"), row.isOn}});
    }
    return rows;
}

QVariantMap SetupFlow::commandLineNotice() const {
    return notice(SetupNotice::commandLineTool(model_.commandLineToolRefusal()));
}

QVariantMap SetupFlow::loginNotice() const {
    return notice(SetupNotice::openAtLogin(loginItemAnswer_));
}

QVariantMap SetupFlow::footer() const {
    const auto buttons = SetupFooterButtons::of(step_, stage_.kind(), isOnLastStep(), isBusy_,
                                                model_.isInstallingCommandLineTool());
    return {{QStringLiteral("showsBack"), buttons.showsBack},
            {QStringLiteral("secondary"), buttons.secondary.value_or(QString())},
            {QStringLiteral("primary"), buttons.primary.value_or(QString())},
            {QStringLiteral("isEnabled"), buttons.isEnabled}};
}

QVariantList SetupFlow::dots() const {
    QVariantList dots;
    for (const auto& dot : StepDots::of(step_, steps_).dots) {
        dots.push_back(QVariantMap{{QStringLiteral("isCurrent"), dot.isCurrent},
                                   {QStringLiteral("isFilled"), dot.isFilled}});
    }
    return dots;
}

QString SetupFlow::stepLabel() const {
    return StepDots::of(step_, steps_).label;
}

} // namespace velto
