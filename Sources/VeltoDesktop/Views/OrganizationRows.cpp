#include "VeltoDesktop/Views/OrganizationRows.hpp"

#include "VeltoDesktop/Views/OrganizationRowPresentation.hpp"
#include "VeltoDesktop/Views/PanelModel.hpp"

#include <QVariantList>
#include <QVariantMap>

namespace velto {

OrganizationRows::OrganizationRows(PanelModel& model, QObject* parent)
    : QIdentityProxyModel(parent), model_(&model) {
    setSourceModel(model.organizationList());
    for (auto changed :
         {&PanelModel::isPausedChanged, &PanelModel::scopesChanged, &PanelModel::organizationPhotosChanged})
        connect(&model, changed, this, &OrganizationRows::refreshAll);
}

void OrganizationRows::refreshAll() {
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 0));
}

QVariant OrganizationRows::data(const QModelIndex& index, int role) const {
    if (role < DeviceIdRole || !model_ || !index.isValid())
        return QIdentityProxyModel::data(index, role);
    const auto& rows = model_->organizations();
    const auto row = static_cast<std::size_t>(index.row());
    if (row >= rows.size())
        return {};
    const auto& organization = rows[row];
    const auto& deviceId = organization.id();
    ScopeChoices choices{model_->scopes(organization), std::nullopt};
    auto refusal = model_->scopeRefusals().find(deviceId);
    if (refusal != model_->scopeRefusals().end())
        choices.refusal = refusal->second;
    OrganizationRowPresentation presentation(organization, model_->isPaused(), choices);
    switch (role) {
    case DeviceIdRole:
        return QString::fromStdString(deviceId);
    case NameRole:
        return presentation.name;
    case TooltipRole:
        return presentation.tooltip;
    case ActionsLabelRole:
        return presentation.actionsLabel;
    case ConnectionTitleRole:
        return QString::fromStdString(presentation.connection.title);
    case ConnectionTintRole:
        return static_cast<int>(presentation.connection.tint);
    case DetailRole:
        return presentation.detail.value_or(QString());
    case ProblemRole:
        return presentation.problem.value_or(QString());
    case MonogramRole:
        return presentation.monogram;
    case PictureAddressRole:
        return QString::fromStdString(presentation.pictureAddress);
    case ScopeItemsRole: {
        QVariantList items;
        for (const auto& item : presentation.scopeItems)
            items.push_back(QVariantMap{{"scope", static_cast<int>(item.scope)},
                                        {"title", QString::fromStdString(item.title)},
                                        {"isHeld", item.isHeld},
                                        {"isEnabled", item.isEnabled}});
        return items;
    }
    default:
        return {};
    }
}

QHash<int, QByteArray> OrganizationRows::roleNames() const {
    return {{DeviceIdRole, "deviceId"},
            {NameRole, "name"},
            {TooltipRole, "tooltip"},
            {ActionsLabelRole, "actionsLabel"},
            {ConnectionTitleRole, "connectionTitle"},
            {ConnectionTintRole, "connectionTint"},
            {DetailRole, "detail"},
            {ProblemRole, "problem"},
            {MonogramRole, "monogram"},
            {PictureAddressRole, "pictureAddress"},
            {ScopeItemsRole, "scopeItems"}};
}

} // namespace velto
