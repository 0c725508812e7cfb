#include "VeltoDesktop/Model/OrganizationListModel.hpp"

#include <sstream>

namespace velto {

OrganizationListModel::OrganizationListModel(QObject* parent) : QAbstractListModel(parent) {}

int OrganizationListModel::indexOf(const std::string& deviceId) const {
    for (std::size_t index = 0; index < rows_.size(); ++index) {
        if (rows_[index].id() == deviceId)
            return static_cast<int>(index);
    }
    return -1;
}

void OrganizationListModel::append(EnrolledOrganization row) {
    const int position = rowCount();
    beginInsertRows(QModelIndex(), position, position);
    rows_.push_back(std::move(row));
    endInsertRows();
    Q_EMIT rowsChanged();
}

void OrganizationListModel::replace(int index, EnrolledOrganization row) {
    if (index < 0 || index >= rowCount())
        return;
    auto& current = rows_[static_cast<std::size_t>(index)];
    if (current == row)
        return;
    if (current.id() == row.id()) {
        current = std::move(row);
        Q_EMIT dataChanged(this->index(index), this->index(index));
    } else {
        // Another device id is another row for the views: its hover and open menus do not carry over.
        beginRemoveRows(QModelIndex(), index, index);
        rows_.erase(rows_.begin() + index);
        endRemoveRows();
        beginInsertRows(QModelIndex(), index, index);
        rows_.insert(rows_.begin() + index, std::move(row));
        endInsertRows();
    }
    Q_EMIT rowsChanged();
}

void OrganizationListModel::removeAll(const std::string& deviceId) {
    bool removed = false;
    for (int index = rowCount() - 1; index >= 0; --index) {
        if (rows_[static_cast<std::size_t>(index)].id() != deviceId)
            continue;
        beginRemoveRows(QModelIndex(), index, index);
        rows_.erase(rows_.begin() + index);
        endRemoveRows();
        removed = true;
    }
    if (removed)
        Q_EMIT rowsChanged();
}

int OrganizationListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant OrganizationListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount())
        return {};
    const auto& row = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case DeviceIdRole:
        return QString::fromStdString(row.id());
    case Qt::DisplayRole:
    case NameRole:
        return QString::fromStdString(row.enrollment.organization.name);
    case ConnectionRole: {
        std::ostringstream text;
        text << row.state;
        return QString::fromStdString(text.str());
    }
    default:
        return {};
    }
}

QHash<int, QByteArray> OrganizationListModel::roleNames() const {
    return {{DeviceIdRole, "deviceId"}, {NameRole, "name"}, {ConnectionRole, "connection"}};
}

} // namespace velto
