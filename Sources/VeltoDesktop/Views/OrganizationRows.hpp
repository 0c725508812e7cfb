#pragma once

#include <QIdentityProxyModel>
#include <QPointer>

namespace velto {

class PanelModel;

/// The model's organizations as the menu's rows: the same rows, keyed by device id with the same
/// per-row changes (so hover and open menus stay with their row), each carrying its presentation.
/// A change of the pause, the scopes, the refusals or the photos updates every row in place.
class OrganizationRows final : public QIdentityProxyModel {
    Q_OBJECT

public:
    enum Role {
        DeviceIdRole = Qt::UserRole + 100,
        NameRole,
        TooltipRole,
        ActionsLabelRole,
        ConnectionTitleRole,
        ConnectionTintRole,
        DetailRole,
        ProblemRole,
        MonogramRole,
        PictureAddressRole,
        ScopeItemsRole,
    };

    explicit OrganizationRows(PanelModel& model, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    void refreshAll();

    QPointer<PanelModel> model_;
};

} // namespace velto
