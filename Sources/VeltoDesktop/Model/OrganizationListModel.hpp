#pragma once

#include "VeltoDesktop/Model/EnrolledOrganization.hpp"

#include <QAbstractListModel>
#include <cstddef>
#include <string>
#include <vector>

namespace velto {

/// `OrganizationsModel::rows` as a list model keyed by device id: every change is reported for the rows
/// it touches (a row whose device id changes is removed and inserted), never as a reset, and a row
/// assigned an equal value reports nothing. Main thread only.
class OrganizationListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { DeviceIdRole = Qt::UserRole + 1, NameRole, ConnectionRole };

    explicit OrganizationListModel(QObject* parent = nullptr);

    const std::vector<EnrolledOrganization>& rows() const { return rows_; }
    /// The index of the first row with this device id, or -1.
    int indexOf(const std::string& deviceId) const;

    void append(EnrolledOrganization row);
    void replace(int index, EnrolledOrganization row);
    /// Removes every row with this device id.
    void removeAll(const std::string& deviceId);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    /// After any change of the rows.
    void rowsChanged();

private:
    std::vector<EnrolledOrganization> rows_;
};

} // namespace velto
