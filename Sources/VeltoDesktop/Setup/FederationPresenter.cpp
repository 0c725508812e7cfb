#include "VeltoDesktop/Setup/FederationPresenter.hpp"

#include "VeltoDesktop/Model/AssignNotifying.hpp"
#include "VeltoDesktop/Setup/FederationStepModel.hpp"
#include "VeltoDesktop/Setup/FirstEnrollment.hpp"
#include "VeltoDesktop/Setup/HarnessChip.hpp"
#include "VeltoDesktop/Setup/ScopeAgreement.hpp"
#include "VeltoDesktop/Setup/ScopeConsentRow.hpp"
#include "VeltoDesktop/Setup/SetupNames.hpp"
#include "VeltoDesktop/UserTexts.hpp"

namespace velto {

namespace {

QString text(std::string_view view) {
    return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

} // namespace

FederationPresenter::FederationPresenter(FederationStepModel& model, QObject* parent)
    : QObject(parent), model_(model) {
    connect(&model_, &FederationStepModel::organizationsChanged, this,
            &FederationPresenter::enrollmentsChanged);
    connect(&model_, &FederationStepModel::harnessesChanged, this, &FederationPresenter::harnessesChanged);
}

void FederationPresenter::setAgreement(DeviceScope scope, bool isOn) {
    auto before = agreedScopes_;
    assignNotifying(*this, agreedScopes_, ScopeAgreement::setting(agreedScopes_, scope, isOn),
                    &FederationPresenter::agreedScopesChanged);
    if (auto added = ScopeAgreement::firstAdded(before, agreedScopes_))
        Q_EMIT scopeAgreed(text(rawValue(*added)));
}

void FederationPresenter::setScope(const QString& scope, bool isOn) {
    if (auto parsed = deviceScopeFromRawValue(scope.toStdString()))
        setAgreement(*parsed, isOn);
}

boost::asio::awaitable<void> FederationPresenter::choose(bool lends) {
    auto& model = model_;
    const auto scopes = agreedScopes_;
    model.setLendsSubscriptions(lends);
    try {
        auto announcing = model.announceHello();
        co_await std::move(announcing);
        if (lends) {
            auto agreeing = model.agreeEverywhere(scopes);
            co_await std::move(agreeing);
        }
    } catch (...) {
    }
}

QString FederationPresenter::message() const {
    return UserTexts::federationMessage(SetupNames::organizationsOrYours(model_.enrollments()));
}

QVariantMap FederationPresenter::firstEnrollment() const {
    return FirstEnrollment::of(model_.enrollments());
}

QVariantList FederationPresenter::scopeRows() const {
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

QVariantList FederationPresenter::harnessChips() const {
    QVariantList chips;
    for (const auto& chip : HarnessChip::chips(model_.harnesses())) {
        chips.push_back(QVariantMap{{QStringLiteral("kind"), text(rawValue(chip.kind))},
                                    {QStringLiteral("name"), chip.name},
                                    {QStringLiteral("isSignedIn"), chip.isSignedIn}});
    }
    return chips;
}

} // namespace velto
