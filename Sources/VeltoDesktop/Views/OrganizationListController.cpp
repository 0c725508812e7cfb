#include "VeltoDesktop/Views/OrganizationListController.hpp"

#include "VeltoDesktop/Views/ConfirmationTexts.hpp"
#include "VeltoDesktop/Views/DisplayText.hpp"

namespace velto {

namespace {

std::optional<DeviceScope> agreedScope(int value) {
    for (auto scope : agreedDeviceScopes) {
        if (static_cast<int>(scope) == value)
            return scope;
    }
    return std::nullopt;
}

} // namespace

OrganizationListController::OrganizationListController(PanelModel& model, std::shared_ptr<UrlOpening> urls,
                                                       QObject* parent)
    : QObject(parent), model_(&model), urls_(std::move(urls)), rows_(model) {
    connect(&model, &PanelModel::organizationsChanged, this, [this] {
        Q_EMIT rowCountChanged();
        dropVanished();
    });
    connect(&model, &PanelModel::problemChanged, this, &OrganizationListController::problemChanged);
}

QString OrganizationListController::problem() const {
    if (!model_ || !model_->problem())
        return {};
    return DisplayText::paragraph(*model_->problem());
}

const EnrolledOrganization* OrganizationListController::find(const std::string& deviceId) const {
    if (!model_)
        return nullptr;
    for (const auto& row : model_->organizations()) {
        if (row.id() == deviceId)
            return &row;
    }
    return nullptr;
}

void OrganizationListController::dropVanished() {
    bool changed = false;
    if (pendingRemoval_ && !find(*pendingRemoval_)) {
        pendingRemoval_.reset();
        changed = true;
    }
    if (pendingConsent_ && !find(pendingConsent_->deviceId)) {
        pendingConsent_.reset();
        changed = true;
    }
    if (changed)
        Q_EMIT confirmationChanged();
}

QVariantMap OrganizationListController::confirmation() const {
    std::optional<ConfirmationTexts> texts;
    QString kind;
    if (pendingRemoval_) {
        if (const auto* organization = find(*pendingRemoval_)) {
            texts = ConfirmationTexts::removal(organization->enrollment.organization.name);
            kind = QStringLiteral("removal");
        }
    } else if (pendingConsent_) {
        if (const auto* organization = find(pendingConsent_->deviceId)) {
            texts = ConfirmationTexts::consent(pendingConsent_->scope,
                                               organization->enrollment.organization.name);
            kind = QStringLiteral("consent");
        }
    }
    if (!texts)
        return {};
    return {{"kind", kind},
            {"headline", texts->headline},
            {"caption", texts->caption},
            {"note", texts->note},
            {"confirmTitle", texts->confirmTitle},
            {"isDestructive", texts->isDestructive}};
}

void OrganizationListController::openInVelto(const QString& deviceId) {
    const auto* organization = find(deviceId.toStdString());
    if (!organization)
        return;
    const auto url = organization->enrollment.server.baseURL();
    model_->closeMenu();
    urls_->open(url);
}

void OrganizationListController::askToRemove(const QString& deviceId) {
    if (!find(deviceId.toStdString()))
        return;
    pendingRemoval_ = deviceId.toStdString();
    Q_EMIT confirmationChanged();
}

void OrganizationListController::askToAgree(const QString& deviceId, int scope) {
    auto asked = agreedScope(scope);
    if (!asked || !find(deviceId.toStdString()))
        return;
    pendingConsent_ = PendingConsent{deviceId.toStdString(), *asked};
    Q_EMIT confirmationChanged();
}

void OrganizationListController::takeBack(const QString& deviceId, int scope) {
    auto taken = agreedScope(scope);
    if (!taken || !find(deviceId.toStdString()))
        return;
    answer(deviceId.toStdString(), *taken, false);
}

void OrganizationListController::answer(const std::string& deviceId, DeviceScope scope, bool isGranted) {
    model_->setScopeGranted(scope, isGranted, deviceId);
}

void OrganizationListController::confirm() {
    if (pendingRemoval_) {
        const auto* organization = find(*pendingRemoval_);
        pendingRemoval_.reset();
        Q_EMIT confirmationChanged();
        if (!organization)
            return;
        model_->remove(*organization);
        return;
    }
    if (pendingConsent_) {
        auto pending = *pendingConsent_;
        pendingConsent_.reset();
        Q_EMIT confirmationChanged();
        if (find(pending.deviceId))
            answer(pending.deviceId, pending.scope, true);
    }
}

void OrganizationListController::cancel() {
    if (pendingRemoval_)
        pendingRemoval_.reset();
    else if (pendingConsent_)
        pendingConsent_.reset();
    else
        return;
    Q_EMIT confirmationChanged();
}

void OrganizationListController::clearConfirmations() {
    if (!pendingRemoval_ && !pendingConsent_)
        return;
    pendingRemoval_.reset();
    pendingConsent_.reset();
    Q_EMIT confirmationChanged();
}

} // namespace velto
